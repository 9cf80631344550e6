#include "scripted_services.hpp"

namespace quorvane {

std::optional<std::string> ScriptedFolderPicker::pickFolder(const std::string& title, const std::string& startFolder) {
    requests.push_back({title, startFolder});
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

void RecordingMessages::showMessage(const std::string& text) {
    messages.push_back(text);
    if (echo) echo(text);
}

void ScriptedEventPump::processPendingEvents() {
    ++pumps;
    if (onPump) onPump();
}

}  // namespace quorvane
