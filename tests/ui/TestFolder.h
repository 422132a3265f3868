#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh folder for one test's input and output files, removed with the object.
class TestFolder {
  public:
    TestFolder();

    bool isValid() const { return m_dir.isValid(); }
    // The folder itself, without a trailing separator.
    QString location() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Writes bytes as they are; returns the file's full path.
    QString write(const QString& name, const QByteArray& bytes) const;
    // The file's bytes; an empty array when it cannot be read.
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;
    // Every entry of the folder, hidden ones included, sorted by name.
    QStringList entries() const;

  private:
    QTemporaryDir m_dir;
};
