// The surface engine: named surfaces in the display's pixel format with separate alpha
// planes, picture loading and saving, blitting and alpha compositing, whole-surface
// filters and shaders, and the rectangle copy that hands a frame to the display.
//
// Everything is drawn in software into system-memory surfaces; the game composes each
// frame in "MemorySurface" and hands its changed rectangles to an IQelDisplay. The redraw
// grid that decides which rectangles change lives in graphics/RedrawGrid.h.
//
// Rectangles are TRect values used as four numbers; each operation says whether its
// right and bottom are inclusive (a whole surface is 0, 0, width - 1, height - 1) or
// exclusive (0, 0, width, height). Colours are 0xBBGGRR (red in the low byte); opacities,
// tints and alpha values are bytes. Unknown surface names are never errors: the
// operation does nothing. Nothing ever writes outside a surface.
#pragma once

#include "foundation/Geometry.h"
#include "foundation/QelHash.h"
#include "graphics/Display.h"
#include "graphics/ImageCodec.h"
#include "graphics/PixelFormat.h"
#include "graphics/Surface.h"
#include "graphics/SurfaceShader.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TGameLog;
struct TBlendKernels;

// One entry of the font engine's glyph list: which part of the glyph picture to draw,
// where, in which colour and how opaque.
struct TCharsRect {
    TRect Source;  // in the glyph picture; right and bottom inclusive
    int32_t X = 0;
    int32_t Y = 0;
    uint32_t Color = 0;  // 0xBBGGRR
    uint8_t Opacity = 255;
};

class TSurfEngine {
public:
    // The logical screen size is what the opaque copy, the glyph list and the shaders
    // clip against; the game passes 600 and 800.
    explicit TSurfEngine(const TDisplayFormat& display, int height = kScreenHeight, int width = kScreenWidth);
    ~TSurfEngine();
    TSurfEngine(const TSurfEngine&) = delete;
    TSurfEngine& operator=(const TSurfEngine&) = delete;

    const TPixelFormat& Format() const { return format_; }
    int ScreenWidth() const { return screenWidth_; }
    int ScreenHeight() const { return screenHeight_; }

    // Where "Error ..." lines go (BlitRects, GetAlhpaFromSurf, picture loading). May be null.
    void SetGameLog(TGameLog* log) { log_ = log; }
    TGameLog* GameLog() const { return log_; }
    // Loading progress in percent while ReinitSurfaces runs; empty otherwise.
    std::function<void(int percent)> Progress;

    // ---- Surface store ---------------------------------------------------------------

    // Appends the record and maps its name to it. A name already present is re-pointed
    // to the new record; the older record stays in the store, unreachable by name.
    int AddSurface(std::unique_ptr<TSurface> surface);
    // Index by exact name, or -1.
    int IndexOfSurface(std::string_view name) const;
    TSurface* FindSurface(std::string_view name) const;
    TSurface* SurfaceAt(int index) const;
    int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
    // (0, 0) and false for an unknown name.
    bool GetSurfaceSize(std::string_view name, int32_t& width, int32_t& height) const;
    // Removes the surface; the last record moves into its slot.
    void DeleteSurface(std::string_view name);
    // Pixel memory of that size in the display format, or null when it cannot be had.
    std::unique_ptr<TDeviceSurface> CreateSurface(int width, int height) const;
    // A surface with no source and no alpha plane; its pixels are zero. False (and
    // nothing added) when the memory cannot be had.
    bool NewSurface(std::string_view name, int width, int height);
    // Every byte of the pixel memory.
    void FillSurface(std::string_view name, uint8_t value);
    // Fills the alpha plane, creating it first when there is none.
    void CreateAlphaChannel(std::string_view name, uint8_t value);
    // Fills an existing alpha plane; nothing when there is none.
    void FillAlphaChannel(std::string_view name, uint8_t value);
    // Opaque copy of the rectangle (right and bottom exclusive; default the whole source)
    // to (x, y), and of the same part of the alpha plane, creating a zero destination
    // plane first when needed. Clipped to both surfaces.
    void CopySurfaceWithAlpha(std::string_view source, std::string_view destination, std::optional<TRect> rect,
                              int x, int y);
    // The alpha at (x, y); 0 outside the surface or without an alpha plane.
    uint8_t GetAlhpaFromSurf(std::string_view name, int x, int y) const;

    // ---- Pictures --------------------------------------------------------------------
    // Decoder failures raise EImageError; a missing entry or file is not an error.

    // A PNG entry of the archive, or the pair base + "._JPG" (colours) and base + "._PNG"
    // (grey mask) when the entry itself is missing. Always gets an alpha plane.
    void LoadPngFromFileFolder(const TDataSource& archive, std::string_view surfaceName, std::string_view entryName);
    // A PNG file; without an alpha channel in the file it gets no alpha plane.
    bool LoadPngFromFile(std::string_view surfaceName, const std::filesystem::path& path);
    void LoadJpgFromFileFolder(const TDataSource& archive, std::string_view surfaceName, std::string_view entryName);
    bool LoadJpgFromFile(std::string_view surfaceName, const std::filesystem::path& path);
    // The one call the game loads pictures with: from the archive when data is one,
    // otherwise from data's folder. Nothing when the surface exists already; with scale
    // not 0 the picture is resampled to its size divided by scale. Any failure is logged
    // as "Error LoadSurfFromFile " + file name; answers whether the surface exists now.
    bool LoadSurfFromFileOrFileFolder(const TDataSource& data, std::string_view fileName,
                                      std::string_view surfaceName = {}, double scale = 0);
    // Adds a surface from already decoded rows (24-bit blue, green, red; optional alpha).
    bool AddDecodedPicture(std::string_view surfaceName, std::string_view source, int width, int height,
                           std::span<const uint8_t> bgr, std::span<const uint8_t> alpha);

    // A 24-bit PNG, with the alpha plane as alpha channel when there is one.
    bool SaveSurfaceToPng(std::string_view name, std::vector<uint8_t>& stream) const;
    // A JPEG at the library's default quality.
    bool SaveSurfaceToJpg(std::string_view name, std::vector<uint8_t>& stream) const;

    // ---- Display format change ---------------------------------------------------------

    // Switches to another pixel format: every surface loses its pixel memory (its record,
    // name, source, size and alpha plane stay) until ReinitSurfaces rebuilds it.
    void ChangeDisplayFormat(const TDisplayFormat& display);
    // Rebuilds every surface that lost its pixels: the priority list (names separated by
    // spaces or tabs) first, then the rest in store order; pictures are reloaded from
    // their source under their own name, surfaces made in memory come back blank.
    void ReinitSurfaces(const TDataSource& data, const std::filesystem::path& appFolder, std::string_view priorityList,
                        int height, int width);

    // ---- Blitting and alpha compositing ------------------------------------------------

    // Opaque copy of the source rectangle (right and bottom exclusive; default the whole
    // source) to (x, y); a negative x or y becomes 0 without shifting the source. A
    // rectangle that does not fit raises "Exception Error in TSurfEngine.DrawSurface. ...".
    void DrawSurface(std::string_view source, std::string_view destination, int x, int y,
                     std::optional<TRect> sourceRect = std::nullopt);
    void DrawSurfaceInd(int source, int destination, int x, int y, std::optional<TRect> sourceRect = std::nullopt);
    // Alpha-blended draw of the source rectangle (right and bottom inclusive; default the
    // whole source) at (x, y). Tint > 0 pulls the picture toward the colour (1: the
    // shape in the solid colour). A source without alpha plane is copied opaquely.
    void DrawWithAlphaChannel(std::string_view source, std::string_view destination, int x, int y,
                              uint8_t opacity = 255, std::optional<TRect> sourceRect = std::nullopt, uint32_t color = 0,
                              uint8_t tint = 0);
    void DrawWithAlphaChannelInd(int source, int destination, int x, int y, uint8_t opacity = 255,
                                 std::optional<TRect> sourceRect = std::nullopt, uint32_t color = 0, uint8_t tint = 0);
    // The same at a real position, with bilinear weights (the picture's first pixel lands
    // at (x - 1, y - 1)).
    void DrawWithAlphaChannelInReal(std::string_view source, std::string_view destination, double x, double y,
                                    uint8_t opacity = 255, std::optional<TRect> sourceRect = std::nullopt,
                                    uint32_t color = 0, uint8_t tint = 0);
    // Blends the rectangle (right and bottom exclusive) toward the colour.
    void FillRectAlpha(std::string_view surface, TRect rect, uint8_t alpha, uint32_t color);
    // Sets every byte of the rectangle's pixels (right and bottom exclusive).
    void FillSurfaceRect(std::string_view surface, uint8_t value, TRect rect);
    // destination := first source + second source, saturating per channel. Rectangles
    // right and bottom exclusive; limit defaults to the screen, destination rectangle to
    // the destination, first-source rectangle to the second source's size.
    void AddSurfaces(std::string_view destination, std::string_view firstSource, std::optional<TRect> limit,
                     std::optional<TRect> destinationRect, std::optional<TRect> firstSourceRect,
                     std::string_view secondSource);
    // Draws the first count entries of the glyph list, each like DrawWithAlphaChannel
    // with tint 1 in its colour and opacity.
    void DrawCharList(std::string_view glyphPicture, std::string_view destination, int count,
                      std::span<const TCharsRect> list);
    // Anti-aliased line; colour 0 darkens.
    void DrawWuLine(std::string_view surface, uint32_t color, uint8_t intensity, double x1, double y1, double x2,
                    double y2);

    // ---- Filters, blur and shaders -----------------------------------------------------

    // destination's alpha plane := source's alpha plane blurred passes times.
    void BlurAlphaChannel(std::string_view source, std::string_view destination, int passes);
    // A halo of the source's shape in colour, written into the destination's alpha plane
    // (size at least (w + 2e + 2) x (h + 2e + 2)); with keep the source is drawn inside.
    void MakeGlowFrame(std::string_view source, std::string_view destination, bool keep, int a, int b, int c, int d,
                       int e, uint32_t color);
    // The tent the glow frame maps blurred coverage through: 0 below d and above b,
    // rising to the peak a at c.
    static std::array<uint8_t, 256> GlowTable(int a, int b, int c, int d);
    // Unites the source's alpha plane (rectangle inclusive, default whole) into the
    // destination's at (x, y).
    void AddAlphaChannel(std::string_view source, std::string_view destination, int x, int y,
                         std::optional<TRect> rect, uint8_t factor);
    // The target's alpha plane taken from byte channelOffset of each source pixel.
    void AlphaFromColorChannel(std::string_view source, std::string_view target, int channelOffset,
                               std::optional<TRect> rect = std::nullopt);
    void MirrorSurface(std::string_view name);
    void AdjustHls(std::string_view name, int hue, int saturation, int lightness);
    void RotateSurface(std::string_view name, double centerX, double angle, double centerY);
    // flag set: an enlarged picture has red and blue exchanged (what the game passes).
    void ResizeSurface(std::string_view name, int newWidth, int newHeight, bool flag);

    // Every archive entry named "Shader*.png"; nothing without an archive.
    void LoadAllShadersFromFolder(const TDataSource* archive);
    bool LoadShader(const TDataSource& archive, std::string_view entryName);
    int IndexOfShader(std::string_view name) const;
    const TSurfaceShader* ShaderAt(int index) const;
    int ShaderCount() const { return static_cast<int>(shaders_.size()); }
    // Applies the shader's kernels (rectangle inclusive, default whole shader) to the
    // source's pixels around (x, y) and writes them into the destination.
    void DrawShader(std::string_view destination, std::string_view shader, std::optional<TRect> shaderRect, int x,
                    int y, std::string_view source);

    // ---- Presentation ------------------------------------------------------------------

    // Copies each rectangle (right and bottom exclusive) from source to the same place of
    // destination, row by row. Rectangles reaching outside the screen are dropped.
    void BlitRects(TSurface& destination, const TSurface& source, std::span<const TRect> rects);
    // The same onto the display, which then shows the frame.
    void BlitRects(IQelDisplay& display, const TSurface& source, std::span<const TRect> rects);
    void BlitRects(IQelDisplay& display, std::string_view source, std::span<const TRect> rects);

    // The drawing routines in use (vector code when the processor has it). Tests switch
    // to the plain scalar ones to compare.
    const TBlendKernels& Kernels() const { return *kernels_; }
    void UseKernels(const TBlendKernels& kernels) { kernels_ = &kernels; }

private:
    void Rehash();
    void Log(const std::string& message) const;
    TSurface* Get(std::string_view name) const { return FindSurface(name); }
    std::unique_ptr<TSurface> MakeSurface(std::string_view name, std::string_view source, int width, int height,
                                          std::span<const uint8_t> bgr, std::span<const uint8_t> alpha) const;
    void DrawSurfaceChecked(const TSurface& source, TSurface& destination, int x, int y, std::optional<TRect> rect,
                            const char* operation);
    void DrawAlpha(TSurface& source, TSurface& destination, int x, int y, uint8_t opacity, TRect rect, uint32_t color,
                   uint8_t tint);
    // Puts a new picture of that size in place of the named one (same name, no source,
    // moved to the end of the store); the old one stays when no memory can be had.
    void ReplaceSurface(std::string_view name, int width, int height, std::span<const uint8_t> bgr,
                        std::span<const uint8_t> alpha);
    void ReloadFromSource(const TDataSource& data, const std::filesystem::path& appFolder, const std::string& name,
                          const std::string& source);

    TPixelFormat format_;
    int screenWidth_;
    int screenHeight_;
    std::vector<std::unique_ptr<TSurface>> surfaces_;
    TQelHash index_;
    std::vector<TSurfaceShader> shaders_;
    TGameLog* log_ = nullptr;
    const TBlendKernels* kernels_;
};
