// Captions made from other labels (format captions with their sources) and digit
// grouping of what a label shows.
#include "interface/QelInterfaceEngine.h"
#include "interface/QelLabel.h"

#include <algorithm>

std::u16string GroupDigits(std::u16string_view text, std::u16string_view delimiter)
{
    if (delimiter.size() < 2)
        return std::u16string(text);
    const char16_t mark = delimiter[1];
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            out += text[i++];
            continue;
        }
        size_t end = i;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        size_t run = end - i;
        for (size_t j = 0; j < run; ++j) {
            if (run >= 4 && j > 0 && (run - j) % 3 == 0)
                out += mark;
            out += text[i + j];
        }
        i = end;
    }
    return out;
}

void TQelLabel::SetSourcesList(const std::string& value)
{
    std::vector<TQelLabel*> found;
    std::string kept;
    TQelInterfaceEngine* engine = InterfaceEngine();
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(';', start);
        if (end == std::string::npos)
            end = value.size();
        std::string name = value.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        if (name == Name())
            throw TQelException("Exception error in [TQelLabel.SetSourceName]" + name + "have not be Source!");
        auto* source = engine ? dynamic_cast<TQelLabel*>(engine->GetObjectByName(name)) : nullptr;
        if (!source) {
            if (engine)
                engine->ShowMessage("Exception error in [TQelLabel.SetSourceName (ObjectName:\"" + Name() + "\")] " +
                                    name + " not found!");
            continue;
        }
        found.push_back(source);
        kept += (kept.empty() ? "" : ";") + name;
    }
    for (TQelLabel* old : sources_)
        std::erase(old->destinations_, this);
    sources_ = std::move(found);
    sourcesList_ = kept;
    QelGuard("AddDestination", [&] {
        for (TQelLabel* source : sources_)
            if (std::find(source->destinations_.begin(), source->destinations_.end(), this) ==
                source->destinations_.end())
                source->destinations_.push_back(this);
    });
    RebuildFromSources();
}

void TQelLabel::SetFormatCaption(const std::u16string& value)
{
    QelGuard("TQelLabel.SetFormatCaption", [&] {
        formatCaption_ = value;
        RebuildFromSources();
    });
}

void TQelLabel::RebuildFromSources()
{
    if (sources_.empty() || formatCaption_.empty() || rebuilding_)
        return;
    rebuilding_ = true;
    struct TReset {
        bool& flag;
        ~TReset() { flag = false; }
    } reset{rebuilding_};
    QelGuard("TQelLabel.Update", [&] {
        const std::u16string& f = formatCaption_;
        std::u16string out;
        for (size_t k = 0; k < f.size();) {
            if (f[k] == u'%' && k + 1 < f.size() && f[k + 1] == u'%') {
                out += u'%';
                k += 2;
            } else if (f[k] == u'%' && k + 1 < f.size() && f[k + 1] == u's') {
                if (k + 2 < f.size() && f[k + 2] >= u'1' && f[k + 2] <= u'9') {
                    size_t index = static_cast<size_t>(f[k + 2] - u'1');
                    if (index < sources_.size())
                        out += sources_[index]->Caption();
                    k += 3;
                } else {
                    out += sources_[0]->Caption();
                    k += 2;
                }
            } else {
                out += f[k++];
            }
        }
        SetCaption(out);
    });
}

void TQelLabel::UpdateDestinations()
{
    if (destinations_.empty())
        return;
    QelGuard("UpdateDestination", [&] {
        std::vector<TQelLabel*> destinations = destinations_;
        for (TQelLabel* d : destinations)
            d->RebuildFromSources();
    });
}

void TQelLabel::ForgetObject(const TQelObject* dying)
{
    TQelInterfaceObject::ForgetObject(dying);
    std::erase(sources_, dying);
    std::erase(destinations_, dying);
}
