#include "app/display_check.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quorvex::app {
namespace {

bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// The display Qt was asked to reach, in words.
std::string UnreachableDisplay() {
  if (IsSet("QT_QPA_PLATFORM")) return "cannot start the window system \"" + Env("QT_QPA_PLATFORM") + "\"";
  if (IsSet("DISPLAY")) return "cannot connect to the X display \"" + Env("DISPLAY") + "\"";
  return "cannot connect to the Wayland display \"" + Env("WAYLAND_DISPLAY") + "\"";
}

struct HeldMessage {
  QtMsgType type;
  QString category;
  QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage>* held = nullptr;

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // The platform plugin could not start: Qt would abort right after this.
    std::fprintf(stderr, "quorvex: %s\n", UnreachableDisplay().c_str());
    std::fflush(stderr);
    std::_Exit(1);
  }
  held->push_back({type, QString::fromUtf8(context.category != nullptr ? context.category : ""), text});
}

}  // namespace

std::string FindDisplayProblem() {
  if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return {};
  return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session";
}

DisplayFailureGuard::DisplayFailureGuard() {
  held = new std::vector<HeldMessage>;
  previousHandler = qInstallMessageHandler(HoldOrFail);
}

void DisplayFailureGuard::Release() {
  if (held == nullptr) return;
  qInstallMessageHandler(previousHandler);
  for (const HeldMessage& m : *held) {
    const QByteArray category = m.category.toUtf8();
    const QMessageLogContext context(nullptr, 0, nullptr, category.isEmpty() ? nullptr : category.constData());
    qt_message_output(m.type, context, m.text);
  }
  delete held;
  held = nullptr;
}

}  // namespace quorvex::app
