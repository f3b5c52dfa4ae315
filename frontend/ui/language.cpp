#include "language.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <memory>

namespace bsf::ui {

namespace {

constexpr const char* kLanguageKey = "ui/language";
Language g_language = Language::Japanese;

// The English translations, compiled from the repository's .ts file and
// built into the program as a resource.
constexpr const char* kEnglishTranslations = ":/i18n/orbisan_en.qm";

}  // namespace

std::optional<Language> language_from_code(const QString& code)
{
  if (code == "en") return Language::English;
  if (code == "ja") return Language::Japanese;
  return std::nullopt;
}

QString language_code(Language language) { return language == Language::English ? "en" : "ja"; }

Language language_from_environment(const std::function<const char*(const char*)>& getenv)
{
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(variable);
    if (!value || !*value) continue;
    // LANGUAGE is a list of preferences, the first one ruling.
    const QString first = QString::fromUtf8(value).section(':', 0, 0);
    const bool english = first == "en" || first.startsWith("en_") || first.startsWith("en.") || first.startsWith("en@");
    return english ? Language::English : Language::Japanese;
  }
  return Language::Japanese;
}

Language choose_language(std::optional<Language> chosen, const std::function<const char*(const char*)>& getenv)
{
  QSettings settings;
  if (chosen) {
    settings.setValue(kLanguageKey, language_code(*chosen));
    return *chosen;
  }
  if (const auto remembered = language_from_code(settings.value(kLanguageKey).toString())) return *remembered;
  return language_from_environment(getenv);
}

bool use_language(Language language)
{
  static std::unique_ptr<QTranslator> english;
  if (english) {
    QCoreApplication::removeTranslator(english.get());
    english.reset();
  }
  g_language = Language::Japanese;
  if (language == Language::Japanese) return true;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QString::fromUtf8(kEnglishTranslations))) return false;
  QCoreApplication::installTranslator(translator.get());
  english = std::move(translator);
  g_language = Language::English;
  return true;
}

Language current_language() { return g_language; }

QString in_language(const std::string& japanese, const std::string& english)
{
  return QString::fromStdString(g_language == Language::English ? english : japanese);
}

QString data_error_text(const DataFileError& e) { return in_language(japanese_message(e), e.what()); }

QString problem_text(const ConditionProblem& problem)
{
  if (g_language == Language::Japanese) return QString::fromStdString(problem.message);
  QString text = QString::fromStdString(problem.message_en);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (!text.isEmpty() && text.back().isLetterOrNumber()) text += '.';
  return text;
}

}  // namespace bsf::ui
