// modwriter: a compact text score to a looping XM module with synthesised instruments.
#include "tools/modwriter/Score.h"

#include "foundation/Files.h"

#include <iostream>

std::vector<uint8_t> WriteXm(const TScore& score);

static const char* kHelp =
    "usage: modwriter SCORE OUT.xm\n"
    "\n"
    "Score lines ('#' at the start of a word begins a comment):\n"
    "  name TEXT | speed TICKS | bpm N | rows N (per pattern) | restart ORDER\n"
    "  instrument NAME tone|hit [vol 0..64] [pan 0..255] [env A D S R] [base NOTE] [vibrato DEPTH RATE]\n"
    "             -- WAVE key value ...        (the synth's voice keys; tones loop one cycle)\n"
    "  kit LETTER INSTRUMENT [NOTE]            a letter that plays a hit in any channel\n"
    "  channel N INSTRUMENT                    the default instrument of channel N\n"
    "  pattern NAME [from EARLIER]             then lines  N[-M] [step K]: tokens\n"
    "      tokens: C4 F#5 Bb3 (optionally /INSTRUMENT, @VOLUME, !EFFECT hex), kit letters,\n"
    "      '.' nothing, '-' note off, '|' bar line, (tokens)*N repeats, C4+E4+G4 across channels M..N\n"
    "  order NAME NAME ...                     the song; one pattern a phrase, so every order\n"
    "                                          is a clean place to start the music\n";

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kHelp;
        return 0;
    }
    if (args.size() != 2) {
        std::cerr << kHelp;
        return 1;
    }
    TScore score;
    std::string error;
    if (!ReadScore(args[0], score, error)) {
        std::cerr << "modwriter: " << error << "\n";
        return 1;
    }
    if (!WriteFileAtomic(args[1], WriteXm(score), &error)) {
        std::cerr << "modwriter: " << error << "\n";
        return 1;
    }
    return 0;
}
