#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gt/GTImage.h"
#include "gt/GTSlice.h"
#include "gt/GTTypes.h"

// The skin: every picture the windows show, read once at start-up from
// skin\default\index.schema, its image-set XML files and their PNG sheets, and afterwards looked
// up by name ("login_icon.btnclose"). Widgets never open skin files themselves.
//
// Reading rules, in short:
// - index.schema: the first element is the schema. From its first child named "Imageset" on,
//   that child and every later sibling (whatever its name) names an image-set file in
//   "Filename". With RelativePath="1" (any non-zero number) those names are joined to the
//   schema's directory; otherwise they are used as written.
// - image-set file: every top-level element is a set: "Name", "Imagefile" (the PNG, joined to
//   the set file's directory when its "RelativePath" is non-zero). From the first child named
//   "Image" on, every later sibling is a slice ("Name", "XPos", "YPos", "Width", "Height"); from
//   the first child named "Color" on, every later sibling is a colour ("Name", "RGB" as RRGGBB).
//   So a set keeps all its Image elements first and its Color elements last.
// - the first definition of a name wins; several sets naming the same PNG path share one picture.
// - a PNG that cannot be read, or is not 8-bit RGBA, stops the rest of its image-set file
//   (what was added before stays); other files still load.
// - numbers are read from their leading digits (optional sign); anything else counts as 0.
//
// Paths may use "\" or "/"; they are turned into host paths only when a file is opened.
//
// User-interface thread only: no lock anywhere.
class GTResourceManager {
public:
    // The process's skin, made on first use and destroyed at exit.
    static GTResourceManager& Instance();

    GTResourceManager();
    virtual ~GTResourceManager();
    GTResourceManager(const GTResourceManager&) = delete;
    GTResourceManager& operator=(const GTResourceManager&) = delete;

    // Reads the schema and then every image set it lists, in document order; a failing image set
    // does not stop the others. False only when the schema itself cannot be read or parsed.
    bool LoadSchema(const std::string& path);
    // Reads one image-set file. False when it cannot be read or parsed, or when one of its PNGs
    // fails (the sets before that one stay loaded).
    bool LoadImageSet(const std::string& path);
    // Decodes an 8-bit RGBA PNG into premultiplied pixels: out = ((channel × alpha) >> 8), so
    // alpha 0 gives all-zero bits and an opaque 255 is stored as 254. Nothing for a missing or
    // broken file or any other pixel format (palette, grey, RGB without alpha, 16-bit).
    static std::unique_ptr<GTImage> LoadPngImage(const std::string& path);

    // The slice of that exact (case-sensitive) name, or nothing.
    const GTSlice* FindSlice(const std::string& name) const;

    // Cuts the named slice into nine parts by `margins` and points the entries of `grid` at them;
    // grid.mode is not touched. A name that is not found (or has no picture) leaves `grid` as
    // it was. Margins larger than the slice give parts with zero or negative sizes, which draw
    // nothing.
    //
    // Surprise kept from the original: the nine parts live in ONE storage area shared by every
    // call and every manager. The next call overwrites them, and a NineGrid filled earlier then
    // points at the new parts. Cut a grid and draw it (or copy what you need) before cutting the
    // next one. (GTPainter::DrawNineGrid cuts into a storage area of its own.)
    void GetNineGrid(const std::string& name, const GTMargins& margins, NineGrid& grid) const;

    // The colour of that name as red << 16 | green << 8 | blue. The client never asks for
    // colours; the skin tools and tests do.
    bool FindColor(const std::string& name, std::uint32_t& rgb) const;

    // Number of decoded pictures (one per distinct resolved PNG path) and of slices.
    std::size_t ImageCount() const { return m_images.size(); }
    std::size_t SliceCount() const { return m_slices.size(); }

    // Forgets every picture, slice and colour. Pointers handed out before become invalid, so
    // only tests and tools that load several skins call it.
    void Clear();

private:
    std::map<std::string, std::unique_ptr<GTImage>> m_images;
    std::map<std::string, std::unique_ptr<GTSlice>> m_slices;
    std::map<std::string, std::uint32_t> m_colors;
};

// Skin-file helpers, exposed for the tools and tests.

// Decimal integer from the leading characters: optional sign, then digits; 0 when there are none.
// Values beyond 32 bits saturate.
int ParseSkinInt(const char* text);

// "RRGGBB" → red << 16 | green << 8 | blue. Each pair is read on its own; a pair that meets a
// character that is not a hexadecimal digit counts as 0 ("zz8000" is 0x008000). Text shorter
// than six characters: a pair that runs past the end counts as 0.
std::uint32_t ParseSkinRgb(const char* text);

// The directory part of a path, up to and including its last "\" or, failing that, its last
// "/"; empty when it has neither.
std::string SkinDirectoryOf(const std::string& path);

// The cut rule: the rectangle of part `part` (NineGrid::Part) of the rectangle (x, y, width,
// height) cut with `margins`. Its width or height is negative when the margins do not fit.
GTRect NineGridPartRect(int part, int x, int y, int width, int height, const GTMargins& margins);
