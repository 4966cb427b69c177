#include "link/debug_trace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

struct TraceState {
    std::mutex mutex;
    DebugTraceSink sink;
    std::string target;  // "-" for stderr, a file path, or empty for off
    std::FILE* file = nullptr;
    bool fileFailed = false;

    TraceState() {
        if (const char* env = std::getenv("R730_TRACE")) target = env;
    }
    ~TraceState() {
        if (file && file != stderr) std::fclose(file);
    }
};

TraceState& State() {
    static TraceState state;
    return state;
}

std::FILE* TargetFile(TraceState& s) {
    if (s.target.empty()) return nullptr;
    if (s.target == "-") return stderr;
    if (!s.file && !s.fileFailed) {
        s.file = std::fopen(s.target.c_str(), "a");
        if (!s.file) {
            s.fileFailed = true;
            std::fprintf(stderr, "R730_TRACE: cannot open %s for appending\n", s.target.c_str());
        }
    }
    return s.file;
}

}  // namespace

void DebugTrace(std::string_view text) {
    TraceState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.sink) {
        s.sink(text);
        return;
    }
    std::FILE* out = TargetFile(s);
    if (!out) return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

bool DebugTraceEnabled() {
    TraceState& s = State();
    std::lock_guard lock(s.mutex);
    return s.sink || !s.target.empty();
}

void SetDebugTraceSink(DebugTraceSink sink) {
    TraceState& s = State();
    std::lock_guard lock(s.mutex);
    s.sink = std::move(sink);
}

void SetDebugTraceTarget(const std::string& target) {
    TraceState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.file && s.file != stderr) std::fclose(s.file);
    s.file = nullptr;
    s.fileFailed = false;
    s.target = target;
}
