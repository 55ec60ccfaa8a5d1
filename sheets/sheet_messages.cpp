#include "sheets/sheet_messages.h"

#include <cerrno>
#include <cstring>

#include "sheets/engine/sheet_headers.h"

namespace quorvex::sheets::messages {

std::string CannotRead(std::string_view name, std::string_view reason) {
  return std::string("无法读取 ").append(name).append("：").append(reason);
}

std::string CannotWrite(std::string_view name, std::string_view reason) {
  return std::string("无法写入 ").append(name).append("：").append(reason);
}

std::string MissingColumn(std::string_view key) {
  return std::string("表格没有“").append(ChineseCaption(key)).append("”列（英文表头写作 ").append(key).append("）");
}

std::string NoHeaderInFirstRows(std::uint64_t rows) {
  return "前 " + std::to_string(rows) + " 行中没有表头行（同时写有“收入类型”和“金额”或其别名的一行）";
}

std::string FirstRowReads(const std::vector<std::string>& cells) {
  constexpr std::size_t kShown = 12;
  std::string text = "；第一行是：";
  for (std::size_t i = 0; i < cells.size() && i < kShown; ++i) {
    if (i > 0) text += "、";
    text += cells[i].empty() ? std::string("（空）") : cells[i].substr(0, 64);
  }
  if (cells.size() > kShown) text += "……";
  return text;
}

std::string NoSuchSheet(std::string_view book, std::string_view name, const std::vector<std::string>& names) {
  std::string text = std::string(book).append(" 中没有名为“").append(name).append("”的工作表；其中的工作表有：");
  for (std::size_t i = 0; i < names.size(); ++i) text.append(i > 0 ? "、" : "").append(names[i]);
  return text;
}

std::string SheetOfNoWorkbook(std::string_view name) {
  return std::string("只有 Excel 工作簿才有工作表可选（--sheet ").append(name).append("）");
}

std::string HiddenSheet(std::string_view name) { return std::string(name).append("（隐藏）"); }
std::string SheetWithoutHeader(std::string_view name) { return std::string(name).append("（没有表头）"); }

std::string HeaderTooLong(std::size_t mebibytes) { return "表头超过 " + std::to_string(mebibytes) + " MiB"; }

std::string HeaderTooWide(std::size_t columns, std::size_t most) {
  return "表头有 " + std::to_string(columns) + " 列，多于 " + std::to_string(most) + " 列";
}

std::string RecordTooLong(std::uint64_t line, std::size_t mebibytes) {
  return Row(line) + "的记录超过 " + std::to_string(mebibytes) + " MiB";
}

std::string QuoteNeverClosed(std::uint64_t line) {
  return Row(line) + "的记录中有一个引号没有配对（到表格末尾也没有结束）";
}

std::string TooManyFields(std::size_t most) { return "各记录的字段合起来多于 " + std::to_string(most) + " 种"; }

std::string NotUtf8(std::uint64_t byte) {
  return "第 " + std::to_string(byte) + " 个字节不是 UTF-8 文字（GBK、GB18030 表格请加 --encoding gb18030）";
}

std::string NotGb18030(std::uint64_t byte) { return "第 " + std::to_string(byte) + " 个字节不是 GB18030 文字"; }

std::string CannotConvert(std::string_view encoding, std::string_view reason) {
  return std::string("无法转换 ").append(encoding).append(" 编码：").append(reason);
}

std::string Row(std::uint64_t line) { return "第" + std::to_string(line) + "行"; }

std::string NotARecord(std::uint64_t line, std::string_view why) {
  return Row(line).append("不是有效的记录：").append(why);
}

std::string FieldTwice(std::string_view key) { return std::string("字段 ").append(key).append(" 出现两次"); }

std::string TextAfterQuote(std::uint64_t line) { return Row(line) + "有引号外的多余文字"; }

std::string MoreFieldsThanHeader(std::uint64_t line) { return Row(line) + "的列数多于表头"; }

std::string DamagedSheet(std::string_view sheet) { return std::string("已损坏：读不出工作表").append(sheet); }

std::string DamagedCellInRow(std::uint64_t row) { return "已损坏：" + Row(row) + "有读不出的单元格"; }

std::string CellTooLong(std::uint64_t row, std::size_t column, std::size_t most) {
  return Row(row) + "第" + std::to_string(column) + "列超过 Excel 单元格的上限（" + std::to_string(most) + "个字符）";
}

std::string TooManyRows(std::size_t most) { return "超过 Excel 工作表的行数上限（" + std::to_string(most) + "行）"; }

std::string TooManyColumns(std::size_t most) { return "超过 Excel 工作表的列数上限（" + std::to_string(most) + "列）"; }

std::string CannotMakeSheet(std::string_view name) { return std::string("无法创建工作表").append(name); }

std::string ScratchFile(ScratchStep step, int error) {
  const char* doing = step == ScratchStep::kCreate ? "无法创建" : step == ScratchStep::kWrite ? "无法写入" : "无法读取";
  return std::string(doing).append("工作簿的临时文件（").append(SystemText(error)).append("）");
}

std::string UnknownCalcOffering(const std::vector<std::string_view>& kinds) {
  std::string text = std::string(kUnknownCalc) + "，可填：";
  for (std::size_t i = 0; i < kinds.size(); ++i) text.append(i > 0 ? "、" : "").append(kinds[i]);
  return text;
}

std::string CannotWriteWorkbook(int error) { return "无法写入工作簿（" + SystemText(error) + "）"; }

std::string DamagedWhenReadBack(std::string_view reason) {
  return std::string("写出的工作簿读回时已损坏（").append(reason).append("）");
}

std::string IncompleteWhenReadBack(std::uint64_t written, std::uint64_t read) {
  return "写出的工作簿读回时不完整（写入" + std::to_string(written) + "行，读回" + std::to_string(read) + "行）";
}

std::string CannotKeepCopy(std::string_view folder, std::string_view reason) {
  return std::string("无法在 ").append(folder).append(" 中暂存它的副本：").append(reason);
}

std::string CannotReadCopy(std::string_view reason) { return std::string("无法读取它的副本：").append(reason); }

std::string CannotReadAgain(std::string_view reason) { return std::string("不能从头再读一遍：").append(reason); }

std::string NotUtf16(std::uint64_t byte) { return "第 " + std::to_string(byte) + " 个字节不是 UTF-16 文字"; }

std::string DamagedArchive(std::string_view detail) {
  return std::string("已损坏，不是完好的 Excel 工作簿（").append(detail).append("）");
}

std::string MissingPart(std::string_view part) { return std::string("已损坏：找不到其中的 ").append(part); }

std::string PartSizeUnknown(std::string_view part) {
  return std::string("已损坏：").append(part).append(" 的大小不明");
}

std::string PartLikeABomb(std::string_view part, std::uint64_t size, std::uint64_t compressed) {
  return std::string("被拒绝读取：其中的 ").append(part).append(" 解压后有 ") + std::to_string(size) + " 字节（压缩 " +
         std::to_string(compressed) + " 字节），疑似压缩炸弹";
}

std::string CannotInflate(std::string_view part, std::string_view reason) {
  return std::string("已损坏：无法解压其中的 ").append(part).append("（").append(reason).append("）");
}

std::string PartNestedTooDeep(std::string_view part) {
  return std::string("已损坏：其中的 ").append(part).append(" 嵌套过深");
}

std::string PartLonger(std::string_view part) {
  return std::string("已损坏：其中的 ").append(part).append(" 比记录的大小更长");
}

std::string PartShorter(std::string_view part) {
  return std::string("已损坏：其中的 ").append(part).append(" 比记录的大小更短");
}

std::string PartNotXml(std::string_view part, std::uint64_t line, std::string_view reason) {
  return std::string("已损坏：").append(part).append(" ") + Row(line) + "不是有效的 XML（" + std::string(reason) + "）";
}

std::string PartWithDocumentType(std::string_view part) {
  return std::string("已损坏：").append(part).append(" 含有文档类型声明");
}

std::string SharedStringsTooLarge(std::uint64_t bytes) {
  return "被拒绝读取：共享字符串表超过 " + std::to_string(bytes) + " 字节";
}

std::string RowBeyondLast(std::uint64_t row) { return "已损坏：" + Row(row) + "超出工作表的最后一行"; }

std::string CellTooLarge(std::uint64_t row, std::uint64_t bytes) {
  return "被拒绝读取：" + Row(row) + "有一个单元格超过 " + std::to_string(bytes) + " 字节";
}

std::string CellBeyondLastColumn(std::uint64_t row) { return "已损坏：" + Row(row) + "的单元格超出最后一列"; }

std::string NoSuchSharedString(std::uint64_t row) { return "已损坏：" + Row(row) + "引用了不存在的共享字符串"; }

}  // namespace quorvex::sheets::messages
