// Switches the texts to a language for one test and back afterwards.
#pragma once

#include "texts/texts.h"

namespace vandrel {

class ScopedLanguage {
 public:
  explicit ScopedLanguage(Language language) : previous_(CurrentLanguage()) {
    UseLanguage(language);
  }
  ~ScopedLanguage() { UseLanguage(previous_); }
  ScopedLanguage(const ScopedLanguage&) = delete;
  ScopedLanguage& operator=(const ScopedLanguage&) = delete;

 private:
  Language previous_;
};

}  // namespace vandrel
