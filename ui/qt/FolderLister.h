#pragma once

#include <atomic>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

namespace tus2wf {

// Lists folders on a thread of its own, so that a folder of any size never holds up the window's
// thread. Only the latest request counts: one overtaken by a newer request before its turn is
// dropped unlisted.
class FolderLister : public QObject {
    Q_OBJECT

  public:
    explicit FolderLister(QObject* parent = nullptr);
    // Waits for a listing under way to end.
    ~FolderLister() override;

    // Asks for the names in folder; listed() follows on this object's thread.
    void list(const QString& folder);

    // The order in which listed() gives names, and in which a prefix finds them: case-blind on
    // Windows, as its file names are.
    static Qt::CaseSensitivity caseSensitivity();

  signals:
    // Every entry of folder, folders ending in "/", sorted by caseSensitivity(); empty when the
    // folder cannot be read.
    void listed(const QString& folder, const QStringList& names);

  private:
    QThread m_thread;
    QObject* m_worker;
    std::atomic<unsigned> m_latest{0};
};

}  // namespace tus2wf
