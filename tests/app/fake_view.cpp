#include "tests/app/fake_view.h"

#include <gtest/gtest.h>

namespace app_test {

bool FakeSurface::ShowMessageBox(pellam::WindowRef owner, std::string_view text, std::string_view caption,
                                 pellam::MessageBoxKind kind) {
  shown.push_back({std::string(text), std::string(caption), kind, owner});
  if (on_message) on_message();
  const bool question = kind == pellam::MessageBoxKind::WarningQuestion || kind == pellam::MessageBoxKind::Confirm;
  if (!question || answers.empty()) return true;
  const bool ok = answers.front();
  answers.pop_front();
  return ok;
}

std::vector<std::string> FakeSurface::Texts() const {
  std::vector<std::string> texts;
  for (const ShownMessage& message : shown) texts.push_back(message.text + "/" + message.caption);
  return texts;
}

int FakeView::RunChild(pellam::ChildDialog dialog) {
  children.push_back(dialog);
  return child_result(dialog);
}

void FakeView::EndDialog(int value) {
  EXPECT_FALSE(ended) << "a dialog ends once";
  ended = true;
  result = value;
}

}  // namespace app_test
