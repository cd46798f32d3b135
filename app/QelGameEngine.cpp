// The main window's start-up, options, logs, activation and shutdown.
#include "app/QelGameEngine.h"

#include "app/GameTrace.h"
#include "app/LogHeader.h"
#include "app/ScreenSet.h"
#include "audio/AudioLibrary.h"
#include "audio/SoundEngine.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "graphics/Display.h"
#include "gameplay/GameTables.h"
#include "metagame/PlayersFile.h"
#include "metagame/WidgetAccess.h"
#include "graphics/SurfEngine.h"
#include "interface/GameInterfaceHost.h"
#include "interface/QelInterfaceEngine.h"
#include "platform/GameWindow.h"
#include "platform/IniFile.h"
#include "platform/SystemInfo.h"
#include "text/QelFontEngine.h"

#include <unistd.h>

#include <ctime>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

constexpr const char* kEngineLogName = "QelInterface.log";
constexpr const char* kArchiveName = "game.zxc";
constexpr const char* kInterfaceFile = "Glimmora.li";
// Where Ctrl+P puts its shots, below the user folder.
constexpr const char* kShotsFolder = "Shots";
// The fonts, in the order they are loaded: the first one draws the debug overlays.
const char* const kFontFiles[] = {"QelUnicode.xml", "Artistik.xml", "ArtistikDigits.xml", "ComicSansMS_24.xml",
                                  "ComicSansMS_29.xml"};
constexpr int kAudioFrequency = 44100;
// The cosmetic stream starts elsewhere than the gameplay stream, still fixed by the seed.
constexpr uint32_t kCosmeticSeedMix = 0x9E3779B9u;

bool IsWritableFolder(const fs::path& folder)
{
    return !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
}

// The folder, made with its missing parents; false (why says why) when something else
// stands in its place or in a parent's.
bool MakeFolder(const fs::path& folder, std::string& why)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::error_code typeError;
    if (fs::is_directory(folder, typeError))
        return true;
    if (fs::exists(fs::symlink_status(folder, typeError)))
        why = "it is not a folder";
    else
        why = ec ? ec.message() : "it cannot be made";
    return false;
}

// The audio library's version with the sign of the number ignored.
uint32_t VersionMagnitude(uint32_t version)
{
    const int32_t asSigned = static_cast<int32_t>(version);
    return asSigned < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(asSigned)) : version;
}

TNoTrace noTrace;

// Effects play their sounds through the sound list.
class TEffectSounds final : public IQelEffectSounds {
public:
    explicit TEffectSounds(TSoundEngine& sounds) : sounds_(sounds) {}
    void PlaySound(const std::string& name, int volume) override { sounds_.PlaySound(name, volume); }

private:
    TSoundEngine& sounds_;
};

}  // namespace

TQelGameEngine::TQelGameEngine(const TPlatformServices& platform, TSetup setup)
    : clock_(*platform.Clock),
      display_(platform.Display),
      window_(platform.Window),
      audio_(platform.Audio),
      messageBox_(platform.MessageBox),
      urlOpener_(platform.UrlOpener),
      setup_(std::move(setup)),
      trace_(setup_.Trace ? setup_.Trace : &noTrace)
{
    StartUp();
}

TQelGameEngine::~TQelGameEngine()
{
    SaveOptions();
    // The fixed order of release: surface engine and display objects, archive and resource
    // list, screen effects and loaded image names, sounds and the audio library, string
    // lists, interface engine, font engine. The engines still to come take their places.
    displayReady_ = false;
    // The screens go first, taking their handlers with them; the interface, the fonts and
    // the effects draw on the surface engine, so they go before it.
    screenSet_.reset();
    interface_.reset();
    interfaceHost_.reset();
    fontSource_.reset();
    fontHost_.reset();
    fonts_.reset();
    effects_.reset();
    effectSounds_.reset();
    playersFile_.reset();
    widgets_.reset();
    tables_.reset();
    surfEngine_.reset();
    data_.reset();
    sounds_.reset();
    audio_->Stop();
    audio_->Free();
    if (EngineLog() == engineLog_.get())
        SetEngineLog(nullptr);
}

void TQelGameEngine::StartUp()
{
    // The client area is the display's 800 x 600 frame; errors that reach the application
    // come to ShowApplicationError through the program entry.
    // Bound to the display's real format once the display exists.
    surfEngine_ = std::make_unique<TSurfEngine>(TDisplayFormat::Bgr32(), kScreenHeight, kScreenWidth);
    ProgramFolder = UserFolder = setup_.ProgramFolder;
    try {
        FindUserFolder();
    } catch (const std::exception& e) {
        // The player's files have no place, and the program folder is not theirs: nothing
        // is written at all. Saves aimed at the unusable folder fail without a trace.
        UserFolder = setup_.UserFolder;
        ShowApplicationError(e.what());
        Terminate(1);
        return;
    }
    CreateEngineLog();
    ReadStartOptions();

    // The start time is the base of the game log's stamps: the log opens now.
    StartTime = clock_.NowMs();
    Stats.LastSample = StartTime;
    gameLog_ = std::make_unique<TGameLog>(UserFolder, clock_);
    gameLog_->SetUnwritableBox(messageBox_);
    surfEngine_->SetGameLog(gameLog_.get());
    for (const std::string& message : earlyLog_)
        gameLog_->WriteLog(message);
    earlyLog_.clear();
    GameRandom.Seed(setup_.Seed);
    CosmeticRandom.Seed(setup_.Seed ^ kCosmeticSeedMix);
    // The surface engine's resource list over the program folder joins here.

    WriteLogHeader();
    LoadOptions();
    if (Options.IsDebugMode())
        gameLog_->SetDebugBox(messageBox_);

    try {
        StartAudio();
        OpenGameData();
        LoadSoundLists();
        LoadFontsAndInterface();
        CreateEffects();
        CreateScreens();
        ApplyWindowStyle();
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
        // A game without its data or its engines must not look like one that ran.
        WriteLog(std::string("Error StartUp: ") + e.what());
        Terminate(1);
    }
}

void TQelGameEngine::CreateEngineLog()
{
    // An installed program's folder is usually read-only; the player's folder takes the
    // engine log then.
    fs::path folder = setup_.ProgramFolder;
    if (!IsWritableFolder(folder) && !setup_.UserFolder.empty())
        folder = setup_.UserFolder;
    engineLog_ = std::make_unique<TQelLog>(folder.empty() ? fs::path() : folder / kEngineLogName, clock_, true);
    engineLog_->Enabled = true;
    SetEngineLog(engineLog_.get());
}

void TQelGameEngine::FindUserFolder()
{
    // Only a system with no folder of the player's own falls back to the program folder; a
    // folder that was named and cannot be used is an error, never a quiet move elsewhere.
    const bool own = !setup_.UserFolder.empty();
    if (own) {
        std::string why;
        if (!MakeFolder(setup_.UserFolder, why))
            throw std::runtime_error("The user folder \"" + setup_.UserFolder.string() + "\" cannot be used: " + why);
        UserFolder = setup_.UserFolder;
    }
    // Saves killed half-way leave their temporary files; ours are known by name.
    RemoveLeftoverTemporaries(UserFolder);
    RemoveLeftoverTemporaries(UserFolder / kShotsFolder);
    // A first run: the options shipped beside the program become the player's.
    std::error_code ec;
    if (own && !fs::exists(fs::symlink_status(UserFolder / kOptionsFileName, ec))) {
        LoadOptions(ProgramFolder);
        SaveOptions();
    }
}

void TQelGameEngine::ReadStartOptions()
{
    LoadOptions(UserFolder);
    if (Options.Version != kGameVersion) {
        // Options of another version are replaced by the shipped ones.
        LoadOptions(ProgramFolder);
        Options.Version = kGameVersion;
        SaveOptions();
    }
}

void TQelGameEngine::WriteLogHeader()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    TMachineFacts machine{GetOSVersionText(), GetProcessorName(), TotalMemoryMb()};
    for (const std::string& line : LogHeaderLines(local, machine))
        WriteLog(line);
}

void TQelGameEngine::StartAudio()
{
    QelGuardMessage("Bass init error.", [&] {
        const uint32_t version = VersionMagnitude(audio_->GetVersion());
        SoundAvailable = version == kAudioLibraryVersion;
        // The system's own volume is left alone: opening the device never changes it.
        if (SoundAvailable && !audio_->Init(kAudioFrequency))
            SoundAvailable = false;
        if (SoundAvailable)
            audio_->Start();
        WriteLog("Bass init Ok...");
    });
}

void TQelGameEngine::OpenGameData()
{
    if (setup_.DataFolder) {
        data_ = std::make_unique<TDataSource>(*setup_.DataFolder);
    } else if (Options.FromFileFolder) {
        const fs::path archive = ProgramFolder / kArchiveName;
        try {
            auto folder = std::make_unique<TFileFolder>(archive);
            // A truncated or damaged archive would fail entry by entry, long after start-up
            // has passed for a success; it fails here, at once and by name.
            folder->CheckEntries();
            data_ = std::make_unique<TDataSource>(std::move(folder));
        } catch (const std::exception& e) {
            // Names the archive for the start-up's error box.
            throw TQelException("The game data " + archive.string() + " cannot be read: " + e.what());
        }
    } else {
        data_ = std::make_unique<TDataSource>(Options.DataFolder(ProgramFolder));
    }
}

void TQelGameEngine::LoadSoundLists()
{
    // Without a device the library refuses every load; the list is filled all the same and
    // the game plays on silently.
    sounds_ = std::make_unique<TSoundEngine>(*audio_, clock_, CosmeticRandom, *gameLog_);
    sounds_->OnMusicChange = [this](const std::string& music) { trace_->Event("music", music); };
    sounds_->ApplyVolumes(Options.MusicVolume, Options.SoundVolume);
    sounds_->LoadOwnSamples(ProgramFolder);
    WriteLog("Sounds Loaded Start...");
    if (data_)
        sounds_->LoadDataSounds(*data_);
    WriteLog("Sounds Loaded Ok...");
}

void TQelGameEngine::LoadFontsAndInterface()
{
    classes_ = std::make_unique<TQelClassReg>();
    RegisterFontClasses(*classes_);
    RegisterInterfaceClasses(*classes_);
    fonts_ = std::make_unique<TQelFontEngine>(*classes_);
    fontHost_ = std::make_unique<TSurfFontHost>(*surfEngine_, *fonts_, "MemorySurface");
    fonts_->Host = fontHost_.get();
    for (const char* name : kFontFiles) {
        LogAndCarryOn(gameLog_.get(), std::string("Error LoadFont ") + name,
                      [&] { fonts_->LoadFontFromData(*data_, name); });
    }
    WriteLog("Qel Font Loaded Ok...");

    fontSource_ = std::make_unique<TGameFontSource>(*fonts_);
    interfaceHost_ = std::make_unique<TGameInterfaceHost>(*surfEngine_, clock_, sounds_.get(), &redrawGrid_);
    interface_ = std::make_unique<TQelInterfaceEngine>(*classes_);
    interface_->Host = interfaceHost_.get();
    interface_->FontEngine = fontSource_.get();
    interface_->InterfaceFolder = data_.get();
    interface_->MessageBox = messageBox_;
    interface_->HostForm = &methods_;
    interface_->OnModalChange = [this](const std::string& form, bool shown) {
        trace_->Event(shown ? "show" : "hide", form);
    };
    methods_.OnCall = [this](const std::string& name) { trace_->Event("exec", name); };
    LogAndCarryOn(gameLog_.get(), std::string("Error LoadInterface ") + kInterfaceFile, [&] {
        interface_->LoadFromSource(*data_, kInterfaceFile);
        interface_->UpdateScreenSize();
        WriteLog(interface_->GetInfo());
        WriteLog("Qel Interface Loaded Ok...");
    });
}

void TQelGameEngine::CreateEffects()
{
    effects_ = std::make_unique<TQelScreenEffectManager>(*surfEngine_, *data_, clock_, CosmeticRandom);
    effectSounds_ = std::make_unique<TEffectSounds>(*sounds_);
    effects_->Fonts = fonts_.get();
    effects_->Grid = &redrawGrid_;
    effects_->Sounds = effectSounds_.get();
    effects_->Log = gameLog_.get();
}

void TQelGameEngine::CreateScreens()
{
    tables_ = std::make_unique<TGameTables>();
    widgets_ = std::make_unique<TEngineWidgetAccess>(*interface_);
    playersFile_ = std::make_unique<TPlayersFile>(UserFolder, *gameLog_, *widgets_, tables_->Episods, tables_->Shop);
    playersFile_->WritePlain = Options.IsDebugMode();
    TScreenContext context{*surfEngine_, redrawGrid_, *fonts_,     *interface_, methods_, *effects_,   *sounds_,
                           clock_,       GameRandom,  CosmeticRandom, *gameLog_,  *data_,   Options,     Params,
                           *tables_,     Player,      Shell,       *this,      *this,    *trace_,  ProgramFolder,
                           UserFolder};
    screenSet_ = std::make_unique<TScreenSet>(context, *playersFile_, screens_);
    if (setup_.StartDay || setup_.BotPlays)
        screenSet_->Level.SeedEachDay(setup_.Seed);
    screenSet_->Level.SetBotPlays(setup_.BotPlays);
    screenSet_->Logos.SetOpener(urlOpener_);
    // The stored language and its buttons; the translation is applied with the data.
    screenSet_->Language.Start();
}

TStandardLevelScreen* TQelGameEngine::LevelScreen() const
{
    return screenSet_ ? &screenSet_->Level : nullptr;
}

void TQelGameEngine::ApplyWindowStyle()
{
    // Full screen has no place to keep; the display mode makes the window cover the screen.
    if (!Options.IsFullScreen())
        window_->PlaceWindow(Options.WindowModeX, Options.WindowModeY);
}

bool TQelGameEngine::SetUpDisplay()
{
    // The depth asked for, else 16 bits; a display that cannot do either ends the program.
    for (int bits : {Options.BitsPerPixel, 16}) {
        std::string error;
        bool ok = false;
        try {
            ok = display_->SetMode(Options.IsFullScreen(), bits, &error);
        } catch (const std::exception& e) {
            error = e.what();  // reported with the modes that fail without throwing
        }
        if (ok) {
            displayReady_ = true;
            BindSurfEngineToDisplay();
            systemCursorShown_.reset();
            MarkWholeScreen();
            return true;
        }
        WriteLog(error);
    }
    displayReady_ = false;
    WriteLog("Error in init DirectX mode FullScreen=" + IntToStr(Options.FullScreenMode));
    Terminate(1);
    return false;
}

void TQelGameEngine::BindSurfEngineToDisplay()
{
    // Pictures live in system memory and survive a switch between window and full
    // screen; only another depth needs them in the new pixel format.
    const TDisplayFormat format = TDisplayFormat::ForDepth(display_->BitsPerPixel());
    if (surfEngine_->Format().BitCount == format.BitCount)
        return;
    surfEngine_->ChangeDisplayFormat(format);
    if (data_)
        surfEngine_->ReinitSurfaces(*data_, ProgramFolder, "", kScreenHeight, kScreenWidth);
}

void TQelGameEngine::CreateMemorySurfaces()
{
    for (const char* name : {"MemorySurface", "BackGround", "MainBackGround", "MemoryBuferAdd"})
        if (surfEngine_->IndexOfSurface(name) < 0)
            surfEngine_->NewSurface(name, kScreenWidth, kScreenHeight);
}

void TQelGameEngine::RunLoadingSequence()
{
    if (!SetUpDisplay())
        return;
    CreateMemorySurfaces();
    if (!screenSet_)
        return;
    // The music table first: the title music's start order is drawn from it.
    sounds_->LoadMusicPattern(*data_);
    screenSet_->Language.ApplyLanguage();
    screenSet_->Loading.LoadGame();
    screenSet_->Logos.LoadLogoLinks();
    if (setup_.StartDay)
        screenSet_->Level.StartDeveloperDay(setup_.StartDay->first, setup_.StartDay->second);
    if (!Options.IsFullScreen())
        window_->ShowSystemCursor(true);
}

void TQelGameEngine::FormActivate()
{
    const int64_t now = clock_.NowMs();
    if (!firstActivationDone_) {
        firstActivationDone_ = true;
        ActivatedAt = now;
        RunLoadingSequence();
        return;
    }
    if (active_)
        return;
    WriteLog("AppActivate");
    WriteLog("WM_DIRECTXACTIVATE GetTickCount=" + IntToStr(now));
    WriteLog("WM_DIRECTXACTIVATE Yes");
    active_ = true;
    if (SoundAvailable)
        audio_->Start();
    MarkWholeScreen();
    systemCursorShown_.reset();
    ActivatedAt = now;
    WriteLog("TimeActivate " + IntToStr(now));
}

void TQelGameEngine::FormDeactivate()
{
    if (!active_ || !firstActivationDone_)
        return;
    WriteLog("AppDeActivate");
    WriteLog("WM_DIRECTX_DE_ACTIVATE");
    active_ = false;
    if (screenSet_)
        screenSet_->Level.Deactivated();
    if (SoundAvailable)
        audio_->Pause();
    window_->ShowSystemCursor(true);
    systemCursorShown_ = true;
    // Minimised rather than hidden: a hidden window cannot be brought back on many desktops.
    if (Options.IsFullScreen())
        window_->Minimize();
    DeactivatedAt = clock_.NowMs();
    WriteLog("TimeDeActivate " + IntToStr(DeactivatedAt));
}

void TQelGameEngine::FormClose()
{
    if (terminated_)
        return;
    SaveOptions();
    terminated_ = true;
}

void TQelGameEngine::Terminate(int exitCode)
{
    terminated_ = true;
    exitCode_ = exitCode;
}

void TQelGameEngine::ShowApplicationError(const std::string& text)
{
    messageBox_->Show("Glimmora", text);
}

void TQelGameEngine::LoadOptions(const fs::path& folder)
{
    // A key missing from the player's file takes the value shipped beside the program,
    // which is what a first run would have copied; the shipped file itself falls back on
    // the built-in defaults.
    TGameOptions fallback;
    if (folder != ProgramFolder)
        fallback = ReadGameOptions(TIniFile::Load(ProgramFolder / kOptionsFileName));
    std::string error;
    Options = ReadGameOptions(TIniFile::Load(folder / kOptionsFileName, &error), fallback);
    if (!error.empty())
        WriteLog("Error LoadOptions: " + error);
}

void TQelGameEngine::SaveOptions()
{
    const fs::path file = UserFolder / kOptionsFileName;
    std::string error;
    if (!CleanGameOptions(Options, TIniFile::Load(file)).Save(file, &error))
        WriteLog("Error SaveOptions: " + error);
    else
        trace_->Event("save", kOptionsFileName);
}

void TQelGameEngine::WriteLog(const std::string& message, const std::string& fileName)
{
    if (gameLog_)
        gameLog_->WriteLog(message, fileName);
    else if (fileName.empty())
        earlyLog_.push_back(message);  // the log opens once the user folder is known
}

bool TQelGameEngine::SaveMemorySurfacePng(const fs::path& file, std::string* error) const
{
    std::vector<uint8_t> png;
    if (!surfEngine_ || !surfEngine_->SaveSurfaceToPng("MemorySurface", png)) {
        if (error)
            *error = "there is no composed frame to save";
        return false;
    }
    return WriteFileAtomic(file, png, error);
}
