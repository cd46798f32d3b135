// The rows that check a kind of file with the game's own loader: each runs the loader on
// the file, reports every line the loader logs, then what the loader lets pass silently but
// the game would miss (a name no table holds, a picture the archive lacks).
#pragma once

#include "tools/contentcheck/ContentCheck.h"

#include <string>
#include <vector>

// Tables (gameplay and metagame loaders).
void CheckPieceTypes(const TCheckedFile& file, TCheckReport& report);
void CheckCustomers(const TCheckedFile& file, TCheckReport& report);
void CheckShop(const TCheckedFile& file, TCheckReport& report);
void CheckEpisodes(const TCheckedFile& file, TCheckReport& report);
void CheckLevel(const TCheckedFile& file, TCheckReport& report);

// Engine files (effects, fonts, interface loaders).
void CheckEffect(const TCheckedFile& file, TCheckReport& report);
void CheckAnime(const TCheckedFile& file, TCheckReport& report);
void CheckFont(const TCheckedFile& file, TCheckReport& report);
void CheckInterfaceFile(const TCheckedFile& file, TCheckReport& report);
void CheckTranslation(const TCheckedFile& file, TCheckReport& report);

// Dialog scripts, read strictly by the dialog player's reader; every picture, effect,
// sound event, module and widget they name must be there.
void CheckDialogScript(const TCheckedFile& file, TCheckReport& report);
bool IsDialogScript(const TCheckedFile& file);

// Which files those are: by the name other files give them, their name's pattern, or the
// first element.
bool IsEffectFile(const TCheckedFile& file);
bool IsAnimeFile(const TCheckedFile& file);
bool IsLevelFile(const TCheckedFile& file);
bool IsFontFile(const TCheckedFile& file);

// The name of the document's first element, read without parsing the whole file; empty when
// there is none.
std::string FirstElementName(const std::vector<uint8_t>& bytes);
struct TCaptured;
// Each line a loader logged, and an exception that escaped it, as errors of the file.
void ReportLoaderLines(const TCheckedFile& file, const TCaptured& captured, TCheckReport& report);
