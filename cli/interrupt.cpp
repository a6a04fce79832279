// interrupt.cpp - SIGINT and SIGTERM (on Windows, the console's Ctrl-C and Ctrl-Break): a flag
// the run checks where every file is whole, and, on the second signal, an immediate end that
// first removes the temporary file of the save in progress. The handler does only what is
// safe in a signal handler: it reads and sets lock-free atomics, unlinks, writes and _exits.

#include "cli/interrupt.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

namespace tw::cli {
namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_changing{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

constexpr const char* kRefusal = ": not opened or saved, because the run was interrupted";

#if defined(_WIN32)
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    int none = 0;
    // The first stops a changing run at its next safe point; a second one, or the first in a
    // run that only reads, ends the process as Windows does (the next open removes the
    // temporary file it leaves).
    return g_changing.load() && g_signal.compare_exchange_strong(none, SIGINT) ? TRUE : FALSE;
}
#else
void Say(const char* text)
{
    size_t n = 0;
    while (text[n])
        n++;
    (void)!::write(2, text, n);
}

extern "C" void OnSignal(int signal)
{
    int none = 0;
    const bool first = g_signal.compare_exchange_strong(none, signal);
    if (first && g_changing.load()) {
        Say("\ntagwright: interrupted: finishing the file being saved, then stopping (again to stop at once)\n");
        return;
    }
    if (const char* temp = host::SaveInProgress())
        ::unlink(temp);
    Say(first ? "\ntagwright: interrupted: stopped; nothing was left half-written\n"
              : "\ntagwright: interrupted again: stopped at once; the file being saved was left as it was\n");
    ::_exit(InterruptedExit(signal));
}
#endif

} // namespace

void CatchInterruptions()
{
#if defined(_WIN32)
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = 0; // no restart: a question waiting for an answer ends as cancelled
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

void SetChangingFiles(bool changing) { g_changing.store(changing); }

int Interruption() { return g_signal.load(); }

const char* SignalName(int signal) { return signal == SIGTERM ? "SIGTERM" : "SIGINT"; }

std::function<bool(host::SaveStage)> SavePauseFromEnvironment()
{
    const char* env = std::getenv("TAGWRIGHT_TEST_SAVE_PAUSE_MS");
    const long ms = env ? std::strtol(env, nullptr, 10) : 0;
    if (ms <= 0)
        return {};
    return [ms](host::SaveStage stage) {
        if (stage != host::SaveStage::Rename)
            return false;
        using Clock = std::chrono::steady_clock;
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        for (auto now = Clock::now(); now < until; now = Clock::now()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
#if defined(_WIN32)
            Sleep(static_cast<DWORD>(left));
#else
            struct timespec ts = {static_cast<time_t>(left / 1000), static_cast<long>(left % 1000) * 1000000};
            nanosleep(&ts, nullptr);
#endif
        }
        return false;
    };
}

host::LoadResult InterruptibleStore::load(host::Model& m, const std::string& path)
{
    if (Interruption()) {
        host::LoadResult refused;
        refused.error = InterruptionRefusal(path);
        return refused;
    }
    return files_.load(m, path);
}

bool InterruptibleStore::save(const host::Model& m, const host::Document& doc, const std::string& path,
                              std::string& error)
{
    if (Interruption()) {
        error = InterruptionRefusal(path);
        return false;
    }
    return files_.save(m, doc, path, error);
}

bool InterruptibleStore::save(const host::Model& m, const host::Book& book, const std::string& path, std::string& error)
{
    if (Interruption()) {
        error = InterruptionRefusal(path);
        return false;
    }
    return files_.save(m, book, path, error);
}

std::string InterruptionRefusal(const std::string& path) { return path + kRefusal; }

bool IsInterruptionRefusal(const std::string& error)
{
    const std::string tail = kRefusal;
    return error.size() >= tail.size() && error.compare(error.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace tw::cli
