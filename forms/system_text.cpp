#include "forms/system_text.h"

#include <cerrno>
#include <cstring>

namespace quorvex::forms {
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
    {EAGAIN, "资源暂时不可用，请稍后再试"},
    {EXDEV, "不能跨文件系统移动"},
    {ENOMEM, "内存不足"},
    {EINVAL, "参数无效"},
    {ETIMEDOUT, "操作超时"},
    {ESTALE, "网络文件已失效"},
    {EOVERFLOW, "数值超出范围"},
    {EINTR, "操作被中断"},
};

}  // namespace

std::string SystemText(int error) {
  std::string system = std::strerror(error);
  for (const Known& k : kKnown) {
    if (k.error == error) return std::string(k.text) + "（" + system + "）";
  }
  return system;
}

}  // namespace quorvex::forms
