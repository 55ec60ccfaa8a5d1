#include "sheets/sheet_messages.h"

#include <cerrno>
#include <cstring>

#include "sheets/sheet_headers.h"

namespace quorvex::sheets::messages {
namespace {

struct Known {
  int error;
  const char* text;
};
constexpr Known kKnown[] = {
    {ENOENT, "没有这个文件或文件夹"},
    {EACCES, "没有权限"},
    {EPERM, "不允许这样做"},
    {ENOSPC, "磁盘已满"},
    {EDQUOT, "超出了磁盘配额"},
    {EFBIG, "文件太大"},
    {EROFS, "文件系统是只读的"},
    {EISDIR, "是文件夹，不是文件"},
    {ENOTDIR, "路径中有一项不是文件夹"},
    {ENAMETOOLONG, "文件名太长"},
    {ELOOP, "符号链接太多层或成环"},
    {EIO, "输入输出错误（磁盘或网络可能有故障）"},
    {EBUSY, "设备或资源正忙"},
    {ETXTBSY, "文件正被使用"},
    {EMFILE, "打开的文件太多"},
    {EBADF, "文件描述符无效"},
    {EPIPE, "管道的另一端已关闭"},
    {ENXIO, "设备不存在"},
};

}  // namespace

std::string SystemText(int error) {
  std::string system = std::strerror(error);
  for (const Known& k : kKnown) {
    if (k.error == error) return std::string(k.text) + "（" + system + "）";
  }
  return system;
}

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
  return "第" + std::to_string(line) + "行的记录超过 " + std::to_string(mebibytes) + " MiB";
}

std::string QuoteNeverClosed(std::uint64_t line) {
  return "第" + std::to_string(line) + "行的记录中有一个引号没有配对（到表格末尾也没有结束）";
}

std::string TooManyFields(std::size_t most) { return "各记录的字段合起来多于 " + std::to_string(most) + " 种"; }

std::string NotUtf8(std::uint64_t byte) {
  return "第 " + std::to_string(byte) + " 个字节不是 UTF-8 文字（GBK、GB18030 表格请加 --encoding gb18030）";
}

std::string NotGb18030(std::uint64_t byte) { return "第 " + std::to_string(byte) + " 个字节不是 GB18030 文字"; }

std::string CannotConvert(std::string_view encoding, std::string_view reason) {
  return std::string("无法转换 ").append(encoding).append(" 编码：").append(reason);
}

}  // namespace quorvex::sheets::messages
