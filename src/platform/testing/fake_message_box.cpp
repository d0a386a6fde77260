#include "platform/testing/fake_message_box.h"

namespace platform::testing {

int FakeMessageBox::Show(std::string_view text, std::string_view caption, std::uint32_t flags) {
  std::lock_guard lock(m_mutex);
  int answer = DefaultAnswer(flags);
  if (!m_script.empty()) {
    answer = m_script.front();
    m_script.pop_front();
  }
  m_shown.push_back({std::string(text), std::string(caption), flags, answer});
  return answer;
}

void FakeMessageBox::ScriptAnswers(std::vector<int> answers) {
  std::lock_guard lock(m_mutex);
  m_script.assign(answers.begin(), answers.end());
}

std::vector<ShownMessageBox> FakeMessageBox::Shown() {
  std::lock_guard lock(m_mutex);
  return m_shown;
}

std::size_t FakeMessageBox::Count() {
  std::lock_guard lock(m_mutex);
  return m_shown.size();
}

ScopedMessageBox::ScopedMessageBox(std::shared_ptr<IMessageBox> box) : m_previous(GetMessageBox()) {
  SetMessageBox(std::move(box));
}

ScopedMessageBox::~ScopedMessageBox() {
  SetMessageBox(std::move(m_previous));
}

}  // namespace platform::testing
