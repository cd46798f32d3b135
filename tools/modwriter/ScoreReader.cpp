// Reads the compact text score of the module writer.
#include "tools/modwriter/Score.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

struct TReader {
    TScore& Score;
    std::map<std::string, std::pair<int, int>> Kit;  // letter -> instrument index, note
    std::map<int, int> ChannelInstrument;             // channel (0-based) -> instrument index
    std::string Error;

    int FindInstrument(const std::string& name) const
    {
        for (size_t i = 0; i < Score.Instruments.size(); ++i)
            if (Score.Instruments[i].Name == name)
                return int(i);
        return -1;
    }
};

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string w; stream >> w;)
        words.push_back(w);
    return words;
}

// "C4" -> 48, "F#5" -> 66, "Bb3" -> 46; -1 when the text is no note.
int NoteIndex(const std::string& text)
{
    static const int kSemis[] = {9, 11, 0, 2, 4, 5, 7};
    if (text.size() < 2 || text[0] < 'A' || text[0] > 'G')
        return -1;
    int semi = kSemis[text[0] - 'A'];
    size_t i = 1;
    if (text[i] == '#')
        ++semi, ++i;
    else if (text[i] == 'b')
        --semi, ++i;
    if (i + 1 != text.size() || text[i] < '0' || text[i] > '7')
        return -1;
    int note = (text[i] - '0') * 12 + semi;
    return note >= 0 && note < 96 ? note : -1;
}

// Expands "(a b)*3" groups and drops bar lines.
bool ExpandTokens(const std::vector<std::string>& in, std::vector<std::string>& out, std::string& error)
{
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == "|")
            continue;
        if (in[i].front() != '(') {
            out.push_back(in[i]);
            continue;
        }
        std::vector<std::string> group;
        int times = 0;
        size_t j = i;
        for (; j < in.size(); ++j) {
            std::string t = in[j];
            if (j == i)
                t.erase(0, 1);
            size_t close = t.find(")*");
            if (close != std::string::npos) {
                times = std::atoi(t.c_str() + close + 2);
                t.erase(close);
                if (!t.empty())
                    group.push_back(t);
                break;
            }
            if (!t.empty() && t != "|")
                group.push_back(t);
        }
        if (j == in.size() || times < 1) {
            error = "a group \"(...)\" must end with \")*N\"";
            return false;
        }
        for (int k = 0; k < times; ++k)
            out.insert(out.end(), group.begin(), group.end());
        i = j;
    }
    return true;
}

// One token into a cell; kit letters, notes with /instrument and @volume, "-" for note off.
bool ParseCell(TReader& r, const std::string& token, int channel, TCell& cell)
{
    if (token == ".")
        return true;
    if (token == "-") {
        cell.Note = 97;
        return true;
    }
    std::string body = token;
    if (size_t at = body.find('@'); at != std::string::npos) {
        int vol = std::atoi(body.c_str() + at + 1);
        if (vol < 0 || vol > 64) {
            r.Error = "volume must be 0..64 in \"" + token + "\"";
            return false;
        }
        cell.Volume = uint8_t(0x10 + vol);
        body.erase(at);
    }
    if (size_t bang = body.find('!'); bang != std::string::npos) {
        unsigned long fx = std::strtoul(body.c_str() + bang + 1, nullptr, 16);
        cell.Effect = uint8_t(fx >> 8);
        cell.Param = uint8_t(fx);
        body.erase(bang);
    }
    if (body.empty())
        return true;
    if (auto kit = r.Kit.find(body); kit != r.Kit.end()) {
        cell.Instrument = uint8_t(kit->second.first + 1);
        cell.Note = uint8_t(kit->second.second + 1);
        return true;
    }
    int instrument = -1;
    if (size_t slash = body.find('/'); slash != std::string::npos) {
        instrument = r.FindInstrument(body.substr(slash + 1));
        if (instrument < 0) {
            r.Error = "unknown instrument in \"" + token + "\"";
            return false;
        }
        body.erase(slash);
    } else if (auto it = r.ChannelInstrument.find(channel); it != r.ChannelInstrument.end()) {
        instrument = it->second;
    }
    int note = NoteIndex(body);
    if (note < 0) {
        r.Error = "\"" + token + "\" is no note, kit letter, \".\" or \"-\"";
        return false;
    }
    if (instrument < 0) {
        r.Error = "channel " + std::to_string(channel + 1) + " has no instrument for \"" + token + "\"";
        return false;
    }
    cell.Note = uint8_t(note + 1);
    cell.Instrument = uint8_t(instrument + 1);
    return true;
}

bool ReadInstrument(TReader& r, const std::vector<std::string>& w)
{
    auto dash = std::find(w.begin(), w.end(), "--");
    if (w.size() < 3 || dash == w.end() || (w[2] != "tone" && w[2] != "hit")) {
        r.Error = "instrument NAME tone|hit [options] -- WAVE [voice keys]";
        return false;
    }
    TScoreInstrument ins;
    ins.Name = w[1];
    ins.Tone = w[2] == "tone";
    size_t split = size_t(dash - w.begin());
    for (size_t i = 3; i < split; ++i) {
        auto need = [&](size_t n) { return i + n < split; };
        if (w[i] == "vol" && need(1)) {
            ins.Volume = std::clamp(std::atoi(w[++i].c_str()), 0, 64);
        } else if (w[i] == "pan" && need(1)) {
            ins.Pan = std::clamp(std::atoi(w[++i].c_str()), 0, 255);
        } else if (w[i] == "env" && need(4)) {
            ins.Attack = std::atof(w[i + 1].c_str());
            ins.Decay = std::atof(w[i + 2].c_str());
            ins.Sustain = std::atof(w[i + 3].c_str());
            ins.Release = std::atof(w[i + 4].c_str());
            i += 4;
        } else if (w[i] == "base" && need(1)) {
            ins.BaseNote = NoteIndex(w[++i]);
            if (ins.BaseNote < 0) {
                r.Error = "base needs a note";
                return false;
            }
        } else if (w[i] == "vibrato" && need(2)) {
            ins.VibratoDepth = std::clamp(std::atoi(w[i + 1].c_str()), 0, 15);
            ins.VibratoRate = std::clamp(std::atoi(w[i + 2].c_str()), 0, 63);
            i += 2;
        } else {
            r.Error = "unknown instrument option \"" + w[i] + "\"";
            return false;
        }
    }
    if (!ParseVoice(w, split + 1, ins.Voice, r.Error))
        return false;
    if (ins.Tone && (ins.Voice.Wave == "noise" || ins.Voice.Wave == "pluck")) {
        r.Error = "a tone loops one cycle: noise and pluck voices must be hits";
        return false;
    }
    if (!ins.Tone && ins.Voice.Freq == 440 && ins.BaseNote != 48)
        ins.Voice.Freq = 261.6256 * std::pow(2.0, (ins.BaseNote - 48) / 12.0);
    r.Score.Instruments.push_back(ins);
    return true;
}

// "3: tokens" or "2-4 step 2: C4+E4+G4 ..." inside a pattern.
bool ReadChannelLine(TReader& r, TPattern& pattern, const std::string& line)
{
    size_t colon = line.find(':');
    std::vector<std::string> head = Words(line.substr(0, colon));
    int first = 0, last = 0, step = 1;
    if (head.empty() || std::sscanf(head[0].c_str(), "%d", &first) != 1) {
        r.Error = "a pattern line starts with a channel number and ':'";
        return false;
    }
    last = first;
    if (size_t dash = head[0].find('-'); dash != std::string::npos)
        last = std::atoi(head[0].c_str() + dash + 1);
    if (head.size() == 3 && head[1] == "step")
        step = std::max(1, std::atoi(head[2].c_str()));
    if (first < 1 || last < first || last > 32) {
        r.Error = "channels are numbered 1..32";
        return false;
    }
    std::vector<std::string> tokens;
    if (!ExpandTokens(Words(line.substr(colon + 1)), tokens, r.Error))
        return false;
    if (int(tokens.size()) * step > pattern.Rows) {
        r.Error = std::to_string(tokens.size()) + " steps of " + std::to_string(step) + " rows overflow " +
                  std::to_string(pattern.Rows) + " rows";
        return false;
    }
    r.Score.Channels = std::max(r.Score.Channels, last);
    for (int c = first - 1; c < last; ++c)
        for (auto& row : pattern.Cells)
            row[c] = TCell{};
    for (size_t t = 0; t < tokens.size(); ++t) {
        // A chord "C4+E4+G4" gives its k-th note to the k-th channel of the range.
        std::vector<std::string> parts;
        std::stringstream chord(tokens[t]);
        for (std::string part; std::getline(chord, part, '+');)
            parts.push_back(part);
        for (int c = first - 1; c < last; ++c) {
            size_t k = size_t(c - (first - 1));
            std::string part = k < parts.size() ? parts[k] : ".";
            if (parts.size() == 1 && (parts[0] == "-" || parts[0] == "."))
                part = parts[0];
            if (!ParseCell(r, part, c, pattern.Cells[t * step][c]))
                return false;
        }
    }
    return true;
}

}  // namespace

bool ReadScore(const std::string& path, TScore& score, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    TReader r{score, {}, {}, {}};
    TPattern* pattern = nullptr;
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = path + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        // A comment starts at a '#' that begins a word, so note names like F#4 stay whole.
        for (size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1))
            if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line.erase(hash);
                break;
            }
        std::vector<std::string> w = Words(line);
        if (w.empty())
            continue;
        const std::string& key = w[0];
        if (key == "name") {
            score.Name = line.substr(line.find("name") + 5);
        } else if (key == "speed" && w.size() == 2) {
            score.Speed = std::clamp(std::atoi(w[1].c_str()), 1, 31);
        } else if (key == "bpm" && w.size() == 2) {
            score.Bpm = std::clamp(std::atoi(w[1].c_str()), 32, 255);
        } else if (key == "rows" && w.size() == 2) {
            score.Rows = std::clamp(std::atoi(w[1].c_str()), 1, 256);
        } else if (key == "restart" && w.size() == 2) {
            score.Restart = std::max(0, std::atoi(w[1].c_str()));
        } else if (key == "instrument") {
            if (!ReadInstrument(r, w))
                return fail(r.Error);
        } else if (key == "kit" && (w.size() == 3 || w.size() == 4)) {
            int ins = r.FindInstrument(w[2]);
            if (ins < 0)
                return fail("kit LETTER INSTRUMENT [NOTE]: unknown instrument");
            int note = w.size() == 4 ? NoteIndex(w[3]) : score.Instruments[size_t(ins)].BaseNote;
            if (note < 0)
                return fail("kit LETTER INSTRUMENT [NOTE]: bad note");
            r.Kit[w[1]] = {ins, note};
        } else if (key == "channel" && w.size() == 3) {
            int ins = r.FindInstrument(w[2]);
            int c = std::atoi(w[1].c_str());
            if (ins < 0 || c < 1 || c > 32)
                return fail("channel N INSTRUMENT: unknown instrument or channel");
            r.ChannelInstrument[c - 1] = ins;
        } else if (key == "pattern" && (w.size() == 2 || (w.size() == 4 && w[2] == "from"))) {
            TPattern p;
            p.Name = w[1];
            p.Rows = score.Rows;
            p.Cells.assign(size_t(p.Rows), std::vector<TCell>(32));
            if (w.size() == 4) {
                auto it = std::find_if(score.Patterns.begin(), score.Patterns.end(),
                                       [&](const TPattern& q) { return q.Name == w[3]; });
                if (it == score.Patterns.end())
                    return fail("no earlier pattern " + w[3]);
                p = *it;
                p.Name = w[1];
            }
            for (const TPattern& q : score.Patterns)
                if (q.Name == p.Name)
                    return fail("pattern " + p.Name + " is defined twice");
            score.Patterns.push_back(std::move(p));
            pattern = &score.Patterns.back();
        } else if (key == "order") {
            for (size_t i = 1; i < w.size(); ++i) {
                auto it = std::find_if(score.Patterns.begin(), score.Patterns.end(),
                                       [&](const TPattern& q) { return q.Name == w[i]; });
                if (it == score.Patterns.end())
                    return fail("order names an unknown pattern " + w[i]);
                score.Order.push_back(int(it - score.Patterns.begin()));
            }
        } else if (std::isdigit(static_cast<unsigned char>(key[0])) && line.find(':') != std::string::npos) {
            if (!pattern)
                return fail("a channel line outside a pattern");
            if (!ReadChannelLine(r, *pattern, line))
                return fail(r.Error);
        } else {
            return fail("cannot read \"" + key + "\"");
        }
    }
    if (score.Order.empty() || score.Instruments.empty())
        return fail("a score needs instruments, patterns and an order");
    if (score.Order.size() > 256 || score.Restart >= int(score.Order.size()))
        return fail("at most 256 orders, and restart must name one of them");
    score.Channels = std::max(2, score.Channels + score.Channels % 2);
    return true;
}
