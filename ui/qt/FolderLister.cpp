#include "FolderLister.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>

namespace tus2wf {
namespace {

QStringList namesIn(const QString& folder) {
    QStringList names;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        names.append(entry.isDir() ? entry.fileName() + QLatin1Char('/') : entry.fileName());
    }
    const Qt::CaseSensitivity cs = FolderLister::caseSensitivity();
    std::sort(names.begin(), names.end(),
              [cs](const QString& a, const QString& b) { return QString::compare(a, b, cs) < 0; });
    return names;
}

}  // namespace

FolderLister::FolderLister(QObject* parent) : QObject(parent), m_worker(new QObject) {
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
}

FolderLister::~FolderLister() {
    m_thread.quit();
    m_thread.wait();
}

Qt::CaseSensitivity FolderLister::caseSensitivity() {
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

void FolderLister::list(const QString& folder) {
    if (!m_thread.isRunning()) {
        m_thread.start(QThread::LowPriority);
    }
    const unsigned request = ++m_latest;
    QMetaObject::invokeMethod(
        m_worker,
        [this, folder, request] {
            if (request != m_latest) {
                return;
            }
            const QStringList names = namesIn(folder);
            // The destructor waits for this thread, so this object outlives the call.
            QMetaObject::invokeMethod(
                this, [this, folder, names] { emit listed(folder, names); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

}  // namespace tus2wf
