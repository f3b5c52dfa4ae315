#include "result_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "data_tables.h"

namespace bsf {

std::optional<EngineResult> read_result_file(const std::filesystem::path& dir)
{
  std::ifstream in(resolve_nocase(dir, "ResultBSF.txt"), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || text.empty() || text.back() != '\n') return std::nullopt;

  std::vector<double> values;
  std::size_t pos = 0;
  auto separator = [](char ch) { return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r' || ch == '\n'; };
  while (values.size() < 3) {
    while (pos < text.size() && separator(text[pos])) ++pos;
    if (pos == text.size()) return std::nullopt;
    std::size_t end = pos;
    while (end < text.size() && !separator(text[end])) ++end;
    double v = 0.0;
    const char* first = text.data() + pos;
    const char* last = text.data() + end;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v)) return std::nullopt;
    values.push_back(v);
    pos = end;
  }
  return EngineResult{values[0], values[1], values[2]};
}

namespace {

std::optional<nlohmann::json> read_json(const std::filesystem::path& file)
{
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  return j;
}

}  // namespace

std::optional<EngineResultJson> read_result_json(const std::filesystem::path& dir)
{
  const auto j = read_json(resolve_nocase(dir, "ResultBSF.json"));
  if (!j) return std::nullopt;
  try {
    EngineResultJson r;
    r.factors = {j->at("bsf_air_kerma").get<double>(), j->at("bsf_soft_tissue").get<double>(),
                 j->at("bsf_skin").get<double>()};
    r.uncertainties = {j->at("u_air_kerma").get<double>(), j->at("u_soft_tissue").get<double>(),
                       j->at("u_skin").get<double>()};
    r.histories = j->at("histories").get<std::int64_t>();
    r.primary_scores = j->at("primary_scores").get<std::int64_t>();
    r.threads = j->at("threads").get<int>();
    r.seconds = j->at("seconds").get<double>();
    r.phantom = j->at("phantom").get<std::string>();
    for (double v : {r.factors.air_kerma, r.factors.soft_tissue, r.factors.skin})
      if (!(std::isfinite(v) && v > 0.0)) return std::nullopt;
    return r;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

std::optional<EngineStatus> read_engine_status(const std::filesystem::path& dir)
{
  const auto j = read_json(resolve_nocase(dir, "EngineStatus.json"));
  if (!j) return std::nullopt;
  try {
    EngineStatus s;
    s.state = j->at("state").get<std::string>();
    s.histories_done = j->at("histories_done").get<std::int64_t>();
    s.histories_total = j->at("histories_total").get<std::int64_t>();
    s.elapsed_seconds = j->at("elapsed_seconds").get<double>();
    s.threads = j->value("threads", 1);
    s.program = j->value("program", std::string());
    s.pid = j->value("pid", 0L);
    s.started = j->value("started", std::string());
    s.exit_status = j->value("exit_status", -1);
    s.message = j->value("message", std::string());
    return s;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

}  // namespace bsf
