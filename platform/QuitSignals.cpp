#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

int pipeEnds[2] = {-1, -1};
pid_t owner = 0;
std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onSignal(int number) {
    // The second signal, or one that a child forked to run another program takes before its exec: as if
    // no handler had been installed. Blocked while this runs, it is delivered as the handler returns.
    if (getpid() != owner || received.fetch_add(1) > 0) {
        signal(number, SIG_DFL);
        raise(number);
        return;
    }
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

void QuitSignals::install() {
    if (pipeEnds[0] >= 0 || pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    owner = getpid();
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals)
        sigaddset(&action.sa_mask, number); // one handler at a time
    for (int number : kSignals) {
        struct sigaction before {};
        if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(number, &action, nullptr);
    }
}

QuitSignals::QuitSignals(std::function<void()> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {
    if (pipeEnds[0] < 0) return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(pipeEnds[0], bytes, sizeof bytes) > 0) {
        }
        // Only one signal ever writes.
        notifier_->setEnabled(false);
        if (quit_) quit_();
    });
}

QuitSignals::~QuitSignals() = default;
