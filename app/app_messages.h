// Every sentence the window's own dialogs say (批量计算, 保存模板, 保存图片, 截图), in Chinese, in
// one place. The pages' texts stay with the pages' rules (forms/, pages/); the sheet library's
// messages, shown in these dialogs as they stand, come from sheets/sheet_messages.h.
#pragma once

#include <QString>
#include <QStringList>

#include "sheets/sheet_messages.h"

namespace quorvex::app::messages {

// 批量计算: what is missing or wrong before a run.
inline QString ChooseASheet() { return QStringLiteral("请先选择要计算的表格文件。"); }
inline QString NoSheetToCompute(const QString& path) {
  return path + QStringLiteral("：不是可以计算的表格，请选择 .xlsx、.xls、.csv、.txt 或 .jsonl 文件。");
}
inline QString NoResultFormat(const QString& path) {
  return path + QStringLiteral("：") + QString::fromUtf8(sheets::messages::kResultFormats) + QStringLiteral("。");
}
inline QString ResultIsTheSheet(const QString& path) { return path + QStringLiteral("：结果文件不能与表格文件相同。"); }
inline QString ReplaceResult(const QString& path) { return path + QStringLiteral("\n已存在，要替换它吗？"); }

// 批量计算: while it runs, and when it has ended.
inline QString Computing() { return QStringLiteral("正在计算…"); }
inline QString ComputedSoFar(quint64 records) { return QStringLiteral("正在计算…已计算 %1 条记录").arg(records); }
inline QString Cancelling() { return QStringLiteral("正在取消…"); }
inline QString Cancelled() { return QStringLiteral("已取消计算，没有写入结果文件。"); }
inline QString Computed(quint64 records, quint64 rejected, quint64 totals, const QString& result,
                        const QStringList& skipped) {
  QString text = QStringLiteral("计算完成：共 %1 条记录，计算了 %2 条").arg(records).arg(records - rejected);
  if (rejected > 0) text += QStringLiteral("，%1 条有误未能计算（结果的“状态”和“提示”列写明了原因）").arg(rejected);
  if (totals > 0) text += QStringLiteral("；%1 行合计原样保留，未计算").arg(totals);
  text += QStringLiteral("。\n结果已保存到：") + result;
  if (!skipped.isEmpty()) text += QStringLiteral("\n未计算的工作表：") + skipped.join(QStringLiteral("、"));
  return text;
}

// 保存模板, and the sheet library that 批量计算 loads when first used.
inline QString TemplateSaved(const QString& path) { return QStringLiteral("模板已保存到：") + path; }
inline QString ModuleMissing(const QString& module, const QString& why) {
  return QStringLiteral("无法载入批量计算所需的组件 %1，请重新安装 Quorvex。\n%2").arg(module, why);
}
inline QString ModuleVersion(const QString& file) { return file + QStringLiteral("：版本不符"); }

// 保存图片 and 截图: a picture that could not be written, and why.
inline QString PictureNotSaved(const QString& path, const QString& reason) {
  return QStringLiteral("图片未能保存到“%1”。\n%2").arg(path, reason);
}

}  // namespace quorvex::app::messages
