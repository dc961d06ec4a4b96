// How the process runner's slices cost against a plain wait, and how soon the window answers while
// a run waits. Prints two ratios. Run under Wine with a display:
//   wine build/win64/run_and_wait_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "services/win32/desktop.h"
#include "ui/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The median and the maximum, in milliseconds.
std::pair<double, double> Spread(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back()};
}

// CreateProcessA with the runner's own arguments, then one wait without a limit.
void PlainRun(const std::string& command_line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::string line = command_line;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &started))
    return;
  ::WaitForSingleObject(started.hProcess, INFINITE);
  DWORD code = 0;
  ::GetExitCodeProcess(started.hProcess, &code);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
  // As its own child: --sleep MS, or --exit to end at once.
  if (argc > 2 && std::strcmp(argv[1], "--sleep") == 0) ::Sleep(std::atoi(argv[2]));
  if (argc > 1 && argv[1][0] == '-') return 0;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  std::string self(1, '"');
  self += tarn::win32::ExePath() + "\"";

  tarn::win32::MainWindow window;
  if (!window.Create(::GetModuleHandleA(nullptr))) return 1;
  window.Show(SW_SHOWNORMAL);

  std::vector<double> plain, runner;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    PlainRun(self + " --exit");
    plain.push_back(Milliseconds(Clock::now() - start));
    start = Clock::now();
    window.RunAndWait(self + " --exit");
    runner.push_back(Milliseconds(Clock::now() - start));
  }
  const auto [plain_median, plain_max] = Spread(plain);
  const auto [runner_median, runner_max] = Spread(runner);
  std::printf(
      "a child that ends at once, %d runs: plain wait median %.1f ms max %.1f ms; "
      "runner median %.1f ms max %.1f ms\n",
      runs, plain_median, plain_max, runner_median, runner_max);
  std::printf(
      "ratio runner/plain: median %.2f (%.1f ms added, at most one 20 ms slice), "
      "max %.2f\n",
      runner_median / plain_median, runner_median - plain_median, runner_max / plain_max);

  // Messages sent from another thread while the window's thread waits for a 3 s child; only
  // those answered before the wait ended count.
  std::atomic<bool> sending{true}, done{false};
  std::vector<std::pair<Clock::time_point, double>> answers;
  std::thread sender([&] {
    while (sending) {
      const auto start = Clock::now();
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(window.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      answers.emplace_back(Clock::now(), Milliseconds(Clock::now() - start));
      ::Sleep(7);  // the pace of the probes, not a wait for anything
    }
    done = true;
  });
  window.RunAndWait(self + " --sleep 3000");
  const auto wait_ended = Clock::now();
  sending = false;
  // The last probe may still be on its way: it is answered, and not counted.
  while (!done) {
    window.HandlePendingEvents();
    ::Sleep(1);
  }
  sender.join();
  std::vector<double> during;
  for (const auto& [when, ms] : answers)
    if (when <= wait_ended) during.push_back(ms);
  if (during.empty()) return 1;
  const auto [answer_median, answer_max] = Spread(during);
  std::printf(
      "answers during a wait, %zu messages: median %.1f ms, max %.1f ms; "
      "ratio max/40 ms %.2f\n",
      answers.size(), answer_median, answer_max, answer_max / 40.0);
  return 0;
}
