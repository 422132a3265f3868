#include "CliHost.h"

#include <csignal>

namespace tus2wf {
namespace {

// The signals that stop a run: Ctrl+C, a polite kill, and the terminal going away.
constexpr int kStopSignals[] = {
    SIGINT,
    SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void requestStop(int signal) {
    g_stopSignal = signal;
}

void setHandler(int signal, void (*handler)(int)) {
#ifdef _WIN32
    std::signal(signal, handler);
#else
    // Without SA_RESTART, which std::signal() would set: a read, write or lock that blocks then
    // fails with EINTR, and the run gets to see the stop instead of waiting on.
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
#endif
}

}  // namespace

CliHost::CliHost(const CommandLineOptions& options, std::ostream& err, bool showProgress)
    : m_options(options), m_err(err), m_showProgress(showProgress) {
    g_stopSignal = 0;
    for (int signal : kStopSignals) {
        setHandler(signal, requestStop);
    }
}

CliHost::~CliHost() {
    for (int signal : kStopSignals) {
        setHandler(signal, SIG_DFL);
    }
}

int CliHost::stopSignal() const {
    return g_stopSignal;
}

std::string CliHost::pathText(PathBox box) {
    switch (box) {
        case PathBox::TusworldScp:
            return m_options.tus;
        case PathBox::ItemList:
            return m_options.idList;
        case PathBox::Worldforge:
            return m_options.worldforge;
        case PathBox::NewTusworldScp:
            return m_options.newTus;
    }
    return {};
}

void CliHost::setProgress(const Progress& progress) {
    m_progress = progress;
    if (progress.kind == Progress::Kind::Waiting) {
        endRun();
        m_err << kMessagePrefix << progress.text() << '\n' << std::flush;
    }
}

bool CliHost::yield() {
    if (m_showProgress && m_redraw.due()) {
        drawProgress();
    }
    return g_stopSignal == 0;
}

void CliHost::drawProgress() {
    m_err << '\r' << m_progress.text() << "\x1b[K" << std::flush;
    m_drawn = true;
}

void CliHost::endRun() {
    if (m_drawn) {
        m_err << "\r\x1b[K" << std::flush;
        m_drawn = false;
    }
}

void CliHost::showMessage(std::string_view prompt, std::string_view) {
    endRun();
    m_err << kMessagePrefix << withLineBreaks(prompt, "\n") << '\n';
}

}  // namespace tus2wf
