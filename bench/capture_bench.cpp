// The window capture: reading the screen, encoding and writing the file, for the main
// window's outer frame. Needs an X session; run it under tests/with_wm.sh.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>

#include "app/frm_main.h"
#include "capture/catch_img.h"
#include "capture/jpeg_writer.h"
#include "capture/save_file.h"

namespace {

quorvex::app::TFrmMain* window = nullptr;
QTemporaryDir* folder = nullptr;

QRect Frame() { return window->windowHandle()->frameGeometry(); }

QImage Grab() {
  const QRect r = Frame();
  return window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
}

void BM_ReadScreen(benchmark::State& state) {
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    benchmark::DoNotOptimize(Grab());
  }
}
BENCHMARK(BM_ReadScreen)->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state) {
  const QImage picture = Grab();
  QByteArray jpeg;
  QString error;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    if (!quorvex::capture::EncodeJpeg(picture, quorvex::capture::kPictureQuality, &jpeg, &error))
      state.SkipWithError("encoding failed");
  }
  state.counters["bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond);

void BM_WriteFile(benchmark::State& state) {
  QByteArray jpeg;
  QString error;
  if (!quorvex::capture::EncodeJpeg(Grab(), quorvex::capture::kPictureQuality, &jpeg, &error)) return;
  const QString path = folder->filePath("write.jpg");
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    if (!quorvex::capture::WriteFileReplacing(path, jpeg, &error)) state.SkipWithError("writing failed");
  }
}
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond);

// The whole capture as the menu command runs it.
void BM_CatchRect(benchmark::State& state) {
  const QRect r = Frame();
  const QString path = folder->filePath("tmp.jpg");
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    quorvex::capture::TCatchImg catcher(window);
    if (!catcher.CatchRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height(), path))
      state.SkipWithError("capture failed");
  }
  state.counters["width"] = r.width();
  state.counters["height"] = r.height();
}
BENCHMARK(BM_CatchRect)->Unit(benchmark::kMillisecond);

// Shows the main window and waits until the window manager has framed it.
bool ShowWindow() {
  window->show();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 10000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (window->windowHandle() != nullptr && window->isVisible() && Frame().height() > window->height()) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  quorvex::app::TFrmMain main;
  QTemporaryDir temp;
  window = &main;
  folder = &temp;
  if (!ShowWindow()) {
    std::fprintf(stderr, "capture_bench: the window was not framed by a window manager\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
