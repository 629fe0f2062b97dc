// vandrel_win32.rc holds each dialog in English and in German. The template shown is the one in
// the language of our texts, named outright rather than left to the system's choice of resource
// language, so that the sizes always suit the texts.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

#include "texts/language.h"

namespace vandrel {

// The resource language of the templates for `language`.
LANGID TemplateLanguage(Language language);

// Shows the dialog of template `id` modally, in the language of CurrentLanguage() (English when
// there is no template in it); returns what DialogBoxParam returns.
INT_PTR ShowDialog(HINSTANCE instance, int id, HWND owner, DLGPROC procedure, LPARAM parameter);

// A control's text, or the dialog's own caption for id 0.
struct ControlText {
  int id;
  std::string_view text;  // UTF-8
};

// Sets the texts of the controls, as the catalog has them in the current language: the template
// has them too, but the catalog is what the rest of the program speaks.
void SetControlTexts(HWND dialog, std::initializer_list<ControlText> texts);

}  // namespace vandrel
