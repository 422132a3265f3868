#pragma once

#include <atomic>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

namespace tus2wf {

// How file names compare on this platform: case-blind on Windows, as its file systems are.
struct FileNames {
    static Qt::CaseSensitivity caseSensitivity();
    static bool isSeparator(QChar character);
    static bool same(const QString& a, const QString& b);
    // The order of a listing.
    static bool before(const QString& a, const QString& b);
    static bool beginsWith(const QString& name, const QString& prefix);
};

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

  signals:
    // Every entry of folder, folders ending in "/", sorted by FileNames::before(); empty when the
    // folder cannot be read.
    void listed(const QString& folder, const QStringList& names);

  private:
    QThread m_thread;
    std::unique_ptr<QObject> m_worker;  // lives on m_thread
    std::atomic<unsigned> m_latest{0};
};

}  // namespace tus2wf
