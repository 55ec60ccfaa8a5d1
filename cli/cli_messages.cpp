#include "cli/cli_messages.h"

#include <cstdio>

#include "sheets/engine/sheet_headers.h"

namespace quorvex::cli::messages {
namespace {

// 1234567 -> "1,234,567"
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text.append(text.empty() ? "" : "、").append(n);
  return text;
}

}  // namespace

std::string UnknownOption(std::string_view option) { return std::string("未知的选项 ").append(option); }

std::string NeedsValue(std::string_view option) { return std::string(option).append(" 后面缺少它的值"); }

std::string UnknownCategory(std::string_view name) {
  return std::string("未知的收入类型“").append(name).append("”（quorvex-calc --help 列出所有收入类型）");
}

std::string UnknownFormat(std::string_view format) {
  return std::string("未知的格式 ").append(format).append("（可用 csv、jsonl 或 xlsx）");
}

std::string UnknownEncoding(std::string_view encoding) {
  return std::string("未知的编码 ").append(encoding).append("（可用 utf-8 或 gb18030）");
}

std::string FieldRefused(std::string_view field, std::string_view message) {
  return std::string(sheets::ChineseCaption(field)).append("：").append(message);
}

std::string Summary(std::uint64_t records, std::uint64_t rejected, std::uint64_t totals,
                    const std::vector<std::string>& computed, const std::vector<std::string>& skipped) {
  std::string text = "共 " + Grouped(records) + " 条记录，" + Grouped(rejected) + " 条有误";
  if (totals > 0) text += "；" + Grouped(totals) + " 行合计原样保留，未计算";
  if (computed.size() > 1 || !skipped.empty()) {
    text += "；计算的工作表：" + Joined(computed);
    if (!skipped.empty()) text += "；未计算的工作表：" + Joined(skipped);
  }
  return text;
}

std::string Progress(double done, std::uint64_t records, std::uint64_t perSecond, long secondsLeft) {
  std::string text;
  if (done >= 0) {
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%% ", static_cast<int>(done * 100));
    text = percent;
  }
  text += Grouped(records) + " 条记录，每秒 " + Grouped(perSecond) + " 条";
  if (secondsLeft >= 0) text += "，还需 " + std::to_string(secondsLeft) + " 秒";
  return text;
}

}  // namespace quorvex::cli::messages
