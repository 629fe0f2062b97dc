#include "ui/win32/dialog_template_win32.h"

#include "platform/utf16_win32.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

// RT_DIALOG, which windows.h gives as a narrow name without UNICODE.
const LPCWSTR kDialogResource = MAKEINTRESOURCEW(5);

const DLGTEMPLATE* FindTemplate(HINSTANCE instance, int id, LANGID language) {
  const HRSRC found = ::FindResourceExW(instance, kDialogResource, MAKEINTRESOURCEW(id), language);
  if (found == nullptr) return nullptr;
  const HGLOBAL loaded = ::LoadResource(instance, found);
  return loaded == nullptr ? nullptr : static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
}

}  // namespace

LANGID TemplateLanguage(Language language) {
  return language == Language::kGerman ? MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)
                                       : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

INT_PTR ShowDialog(HINSTANCE instance, int id, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const DLGTEMPLATE* chosen = FindTemplate(instance, id, TemplateLanguage(CurrentLanguage()));
  if (chosen == nullptr) chosen = FindTemplate(instance, id, TemplateLanguage(Language::kEnglish));
  if (chosen == nullptr) return -1;
  return ::DialogBoxIndirectParamW(instance, chosen, owner, procedure, parameter);
}

void SetControlTexts(HWND dialog, std::initializer_list<ControlText> texts) {
  for (const auto& [id, text] : texts) {
    const HWND window = id == 0 ? dialog : ::GetDlgItem(dialog, id);
    ::SetWindowTextW(window, platform::Widen(text).c_str());
  }
}

}  // namespace vandrel
