#include "FolderLister.h"

#include <algorithm>

#include <QDir>
#include <QDirIterator>

#include "HomeFolder.h"

namespace tus2wf {
namespace {

QStringList namesIn(const QString& folder) {
    QStringList names;
    const QString listed = QFile::decodeName(QByteArray::fromStdString(
        withHomeFolder(QFile::encodeName(folder).toStdString(),
                       QFile::encodeName(QDir::homePath()).toStdString())));
    QDirIterator entries(listed,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        names.append(entry.isDir() ? entry.fileName() + QLatin1Char('/') : entry.fileName());
    }
    std::sort(names.begin(), names.end(), FileNames::before);
    return names;
}

}  // namespace

FolderLister::FolderLister(QObject* parent)
    : QObject(parent), m_worker(std::make_unique<QObject>()) {
    m_worker->moveToThread(&m_thread);
}

// The worker goes once its thread has ended (or never started), whether or not it ever listed.
FolderLister::~FolderLister() {
    m_thread.quit();
    m_thread.wait();
}

Qt::CaseSensitivity FileNames::caseSensitivity() {
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

bool FileNames::isSeparator(QChar character) {
#ifdef Q_OS_WIN
    return character == QLatin1Char('/') || character == QLatin1Char('\\');
#else
    return character == QLatin1Char('/');
#endif
}

bool FileNames::same(const QString& a, const QString& b) {
    return QString::compare(a, b, caseSensitivity()) == 0;
}

bool FileNames::before(const QString& a, const QString& b) {
    return QString::compare(a, b, caseSensitivity()) < 0;
}

bool FileNames::beginsWith(const QString& name, const QString& prefix) {
    return name.startsWith(prefix, caseSensitivity());
}

void FolderLister::list(const QString& folder) {
    if (!m_thread.isRunning()) {
        m_thread.start(QThread::LowPriority);
    }
    const unsigned request = ++m_latest;
    QMetaObject::invokeMethod(
        m_worker.get(),
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
