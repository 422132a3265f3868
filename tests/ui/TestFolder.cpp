#include "TestFolder.h"

#include <QDir>
#include <QFile>

TestFolder::TestFolder() = default;

QString TestFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString full = path(name);
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write test file %s", qPrintable(full));
    }
    return full;
}

QByteArray TestFolder::read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestFolder::exists(const QString& name) const {
    return QFile::exists(path(name));
}

QStringList TestFolder::entries() const {
    return QDir(m_dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}
