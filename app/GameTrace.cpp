// Writing the developer trace.
#include "app/GameTrace.h"

bool TGameTrace::Open(const std::filesystem::path& file, std::string* error)
{
    out_.open(file, std::ios::binary | std::ios::trunc);
    if (!out_) {
        if (error)
            *error = "cannot write the trace " + file.string();
        return false;
    }
    return true;
}

void TGameTrace::Event(std::string_view kind, std::string_view detail)
{
    if (!out_)
        return;
    out_ << frame_ << ' ' << kind;
    if (!detail.empty())
        out_ << ' ' << detail;
    out_ << '\n';
    // Flushed at once: a run that ends badly still leaves what it traced.
    out_.flush();
}
