#pragma once

#include "ConfigStore.h"
#include "SkinParser.h"

#include <vector>

// Skin source reading a skin folder: "skin.ini" holds the sections and keys;
// bitmaps (.bmp), regions (a .bmp whose magenta pixels lie outside) and
// cursors (.cur) are files of the folder named by their keys.
//
// Value forms: int "12"; colour "#RRGGBB" or "r,g,b"; rectangle "l,t,r,b";
// position "x,y" or "x,y,anchorX%,anchorY%"; size and point "w,h"; font
// "height,weight,face"; alignment left|center|right, top|center|bottom;
// bool 1|0|true|false|yes|no; anchor four integers.
//
// Any key may also be given for one language, "caption.de=": that value wins
// when the configuration store's "Language" (section "Common") is "de", the
// value the component picks its own texts by. Without a store, or for a
// language the skin does not name, the plain key is read.
//
// Pictures for other display scales lie in subfolders named after their
// scale in percent (150\main.bmp). Asked for a picture at a DPI (the key
// with "@<dpi>" appended, "bitmap@144"), the source hands out the one of the
// smallest scale at least that large, else of the largest; a folder without
// such subfolders has none, and the component stretches its 100 % pictures.
class CFolderSkinParser : public ISkinParser {
public:
    // settings: the host's configuration store, borrowed for the parser's life.
    explicit CFolderSkinParser(const CString& folder, IConfigStore* settings = nullptr);

    bool selectSection(CString section) override;
    bool getInt(CString key, int& value) override;
    bool getColor(CString key, COLORREF& value) override;
    bool getRect(CString key, RECT& value) override;
    bool getPosition(CString key, POINT& offset, POINT& anchorPercent) override;
    bool getSize(CString key, SIZE& value) override;
    bool getPoint(CString key, POINT& value) override;
    bool getFont(CString key, CFont& value) override;
    bool getBitmap(CString key, CDynBitmap& value) override;
    bool getRegion(CString key, CDynRgn& value) override;
    bool getDouble(CString key, double& value) override;
    bool getText(CString key, CString& value) override;
    bool getBool(CString key, bool& value) override;
    bool getCursor(CString key, HCURSOR& value) override;
    bool getFilePath(const CString& key, CString& value) override;
    bool getHorizontalAlignment(const CString& key, UINT& flags) override;
    bool getVerticalAlignment(const CString& key, UINT& flags) override;
    bool getAnchor(const CString& key, int& a, int& b, int& c, int& d) override;

    virtual ~CFolderSkinParser();

private:
    bool read(const CString& key, CString& value) const;
    bool readPlain(const CString& key, CString& value) const;
    bool readInts(const CString& key, int* values, int minCount, int maxCount) const;
    bool imagePath(const CString& key, CString& path);

    CString m_folder;
    CString m_iniPath;
    IConfigStore* m_settings;
    CString m_section;
    CString m_language;             // read at each section selection, so a changed setting counts
    std::vector<HCURSOR> m_cursors; // the component borrows them
};
