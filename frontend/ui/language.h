// The language of the windows: Japanese, in which the forms were drawn and
// which the sources hold, or English, from the translations built into the
// program. English when the user's environment asks for it or when chosen
// with "Orbisan --lang en" (remembered); Japanese otherwise.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "condition_checks.h"
#include "free_format.h"

namespace bsf::ui {

enum class Language { Japanese, English };

// "en" or "ja"; nothing for anything else.
std::optional<Language> language_from_code(const QString& code);
QString language_code(Language language);

// The language a user's environment asks for: the first of LANGUAGE (its
// first entry), LC_ALL, LC_MESSAGES and LANG that is set and not empty
// decides; English when it names English ("en", "en_GB.UTF-8"), Japanese
// otherwise, for the C locale and when none is set.
Language language_from_environment(const std::function<const char*(const char*)>& getenv);

// The language to start in: `chosen` ("--lang"), which is then remembered;
// else the remembered choice; else the environment's.
Language choose_language(std::optional<Language> chosen,
                         const std::function<const char*(const char*)>& getenv);

// Puts the windows' texts into `language` from now on (windows built
// before keep theirs). False when the English translations cannot be
// loaded (the windows then stay Japanese).
bool use_language(Language language);
Language current_language();

// A text the calculations give in both languages, in the windows' one.
QString in_language(const std::string& japanese, const std::string& english);

// A data file's error (the file, the line, the value or the system's
// reason), in the windows' language.
QString data_error_text(const DataFileError& e);

// A refused value's message, in the windows' language (the English one, made
// for the command line, as a sentence).
QString problem_text(const ConditionProblem& problem);

}  // namespace bsf::ui
