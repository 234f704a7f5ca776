// What one read exchange with a device that answers at once costs, next to a bare 444-byte
// write and read on the same pseudo-terminal. The 0.2 s read timeout must only end reads that
// hear nothing, so the ratio of the two should stay near 1.
#include "protocol.h"
#include "simdevice.h"
#include "utils.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

namespace {

const char FILE_PATH[] = "/tmp/mem_info_free";

sim::SimDevice* g_device = nullptr;

void BM_ReadExchange(benchmark::State& state) {
    link_frame request;
    link_frame answer;
    for (auto _ : state) {
        frame_init(&request, CMD_READ_FILE, FILE_PATH);
        send_command(&request);
        if (!recv_command_safe(&answer, FILE_PATH, 10))
            state.SkipWithError("no answer");
        if (g_device->frames().size() > 10000)
            g_device->clear_frames();
    }
}
BENCHMARK(BM_ReadExchange)->UseRealTime();

void BM_BareWriteRead(benchmark::State& state) {
    const std::string request =
        sim::encode(sim::Frame::with_text(sim::READ_FILE, FILE_PATH, std::string()));
    char answer[sim::FRAME_SIZE];
    for (auto _ : state) {
        if (write(serial_device, request.data(), request.size()) !=
            static_cast<ssize_t>(request.size()))
            state.SkipWithError("write failed");
        size_t got = 0;
        while (got < sizeof(answer)) {
            const ssize_t n = read(serial_device, answer + got, sizeof(answer) - got);
            if (n <= 0) {
                state.SkipWithError("no answer");
                break;
            }
            got += static_cast<size_t>(n);
        }
        if (g_device->frames().size() > 10000)
            g_device->clear_frames();
    }
}
BENCHMARK(BM_BareWriteRead)->UseRealTime();

// Keeps each benchmark's time per iteration so that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    sim::SimDevice device;
    device.set_file(FILE_PATH, "1048576");
    device.list_as_port();
    if (get_num_ports() != 1 || open_port(0) < 1) {
        std::fprintf(stderr, "could not open the simulated device\n");
        return 1;
    }
    g_device = &device;

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    close_port();

    const double exchange = reporter.times["BM_ReadExchange/real_time"];
    const double bare = reporter.times["BM_BareWriteRead/real_time"];
    if (exchange > 0 && bare > 0)
        std::printf("read exchange / bare write and read: %.2f (goal: below 1.5)\n",
                    exchange / bare);
    return 0;
}
