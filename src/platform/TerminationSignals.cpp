#include "platform/TerminationSignals.h"

#include <QSocketNotifier>
#include <array>
#include <stdexcept>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace velmora {

#ifndef _WIN32

namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

// The handler's end of the socket pair; -1 while no object is there.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void WakeOnSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    if (write(g_writeEnd, &byte, 1) < 0) {
        // The pair is full (it does not block): a byte is already waiting, this one is not needed.
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> terminate) : m_terminate(std::move(terminate))
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        throw std::runtime_error("Cannot create the socket pair for termination signals");
    }
    g_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Received(); });

    struct sigaction action
    {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

TerminationSignals::~TerminationSignals()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    m_notifier.reset();
    close(g_writeEnd);
    close(g_readEnd);
    g_writeEnd = -1;
    g_readEnd = -1;
}

void TerminationSignals::Received()
{
    char bytes[16];
    while (read(g_readEnd, bytes, sizeof bytes) > 0) {
    }
    // A second signal while the first is being handled asks for nothing new.
    if (!m_received) {
        m_received = true;
        m_terminate();
    }
}

#else

TerminationSignals::TerminationSignals(std::function<void()> terminate) : m_terminate(std::move(terminate)) {}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::Received() {}

#endif

} // namespace velmora
