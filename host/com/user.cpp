// user.cpp - the scripted user of the stand-in host: answers to alerts and list dialogs from
// queues (or an interactive callback), and the records of what the client showed: alerts,
// dialogs, console text, status lines, opens, registration and notifications asked for.
#include <algorithm>

#include "bridge/boundary.h"
#include "host/com/host.h"
#include "host/com/host_impl.h"

namespace tw::host {

void Host::Impl::recordStatus(const std::string& text)
{
    host.statusLines_.push_back(text);
    if (host.echoStatus)
        host.echoStatus(text);
}

void Host::Impl::recordConsole(const std::string& text)
{
    host.console_ += text;
    if (host.echoConsole)
        host.echoConsole(text);
}

int32_t Host::Impl::alert(const std::string& text, int32_t kind)
{
    int32_t answer = 0;
    if (kind == ALERT_QUESTION) {
        answer = host.defaultQuestionAnswer;
        if (!host.alertAnswers_.empty()) {
            answer = host.alertAnswers_.front();
            host.alertAnswers_.pop_front();
        } else if (host.askQuestion) {
            answer = host.askQuestion(text);
        }
    }
    host.alerts_.push_back(AlertRecord{text, kind, answer});
    return answer;
}

int32_t Host::Impl::choose(ListChoiceRecord record)
{
    int32_t chosen = -1;
    if (!host.listChoices_.empty()) {
        auto answer = host.listChoices_.front();
        host.listChoices_.pop_front();
        if (auto* index = std::get_if<int32_t>(&answer)) {
            chosen = *index;
        } else {
            auto it = std::find(record.items.begin(), record.items.end(), std::get<std::string>(answer));
            chosen = it == record.items.end() ? -1 : static_cast<int32_t>(it - record.items.begin());
        }
        if (chosen >= static_cast<int32_t>(record.items.size()))
            chosen = -1;
    } else if (host.askChoice) {
        chosen = host.askChoice(record.title, record.items);
        if (chosen < 0 || chosen >= static_cast<int32_t>(record.items.size()))
            chosen = -1;
    }
    record.chosen = chosen;
    host.dialogs_.push_back(std::move(record));
    return chosen;
}

void Host::Impl::recordOpen(const std::string& path, ObjectId result, int32_t status, const std::string& error)
{
    host.opens_.push_back(OpenRecord{path, result, status, error});
}

void Host::Impl::registerClient(TwComObject* sink, const PropertyList* description)
{
    if (sink) {
        TwSlotAddRef(sink)(sink);
        if (host.sink_)
            TwSlotRelease(host.sink_)(host.sink_);
        host.sink_ = sink;
    }
    host.registered_ = true;
    host.description_.clear();
    for (uint32_t i = 0; description && description->entries && i < description->count; i++) {
        const PropertyEntry& e = description->entries[i];
        if (e.value.kind == VALUE_STRING)
            host.description_.emplace_back(e.ident.number, host.fromClient(e.value.u.s));
    }
}

void Host::Impl::requestNotification(int32_t notification, bool on)
{
    auto& list = host.notifications_;
    auto it = std::find(list.begin(), list.end(), notification);
    if (on && it == list.end())
        list.push_back(notification);
    if (!on && it != list.end())
        list.erase(it);
}

std::vector<std::string> Host::consoleLines() const
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < console_.size()) {
        size_t nl = console_.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(console_.substr(start));
            break;
        }
        lines.push_back(console_.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

} // namespace tw::host
