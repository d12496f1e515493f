#include "hostkit/FolderSkinParser.h"

#include <cwchar>
#include <cwctype>

namespace {

HRGN regionFromBitmap(HBITMAP bitmap)
{
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info))
        return nullptr;
    const int width = info.bmWidth, height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            while (x < width && (pixels[y * width + x] & 0xFFFFFF) == 0xFF00FF)
                ++x;
            const int start = x;
            while (x < width && (pixels[y * width + x] & 0xFFFFFF) != 0xFF00FF)
                ++x;
            if (x > start) {
                HRGN run = CreateRectRgn(start, y, x, y + 1);
                CombineRgn(region, region, run, RGN_OR);
                DeleteObject(run);
            }
        }
    }
    return region;
}

CString trimmed(const CString& text)
{
    const wchar_t* begin = text.GetString();
    while (*begin && iswspace(*begin))
        ++begin;
    CString result = begin;
    result.TrimRight(L" \t\r\n");
    if (result.GetLength() >= 2 && result[0] == L'"' && result[result.GetLength() - 1] == L'"')
        result = result.Mid(1, result.GetLength() - 2);
    return result;
}

} // namespace

CFolderSkinParser::CFolderSkinParser(const CString& folder, IConfigStore* settings)
    : m_folder(folder), m_iniPath(folder + L"\\skin.ini"), m_settings(settings)
{
}

CFolderSkinParser::~CFolderSkinParser()
{
    for (HCURSOR cursor : m_cursors)
        DestroyCursor(cursor);
}

bool CFolderSkinParser::selectSection(CString section)
{
    CString name = section;
    if (name.GetLength() >= 2 && name[0] == L'[' && name[name.GetLength() - 1] == L']')
        name = name.Mid(1, name.GetLength() - 2);
    wchar_t keys[4];
    // A section exists when it has at least one key.
    if (GetPrivateProfileSectionW(name, keys, 4, m_iniPath) == 0)
        return false;
    m_section = name;
    m_language.Empty();
    if (m_settings) {
        // Declared as the component declares it; the store hands back that key.
        VLConfigSection* common = m_settings->AddSection(1, L"Common");
        m_language = m_settings->GetString(m_settings->AddKey(common, L"Language", L"en"));
    }
    return true;
}

bool CFolderSkinParser::read(const CString& key, CString& value) const
{
    return (!m_language.IsEmpty() && readPlain(key + L"." + m_language, value)) ||
           readPlain(key, value);
}

bool CFolderSkinParser::readPlain(const CString& key, CString& value) const
{
    if (m_section.IsEmpty())
        return false;
    constexpr DWORD capacity = 2048;
    CString text;
    const DWORD length = GetPrivateProfileStringW(m_section, key, L"\x01", text.GetBuffer(capacity),
                                                  capacity, m_iniPath);
    text.ReleaseBuffer(static_cast<int>(length));
    if (text == L"\x01")
        return false;
    value = trimmed(text);
    return true;
}

bool CFolderSkinParser::readInts(const CString& key, int* values, int minCount, int maxCount) const
{
    CString text;
    if (!read(key, text))
        return false;
    int count = 0;
    const wchar_t* p = text.GetString();
    while (*p && count < maxCount) {
        wchar_t* end = nullptr;
        const long value = wcstol(p, &end, 10);
        if (end == p)
            return false;
        values[count++] = static_cast<int>(value);
        p = end;
        while (*p == L',' || iswspace(*p) || *p == L'%')
            ++p;
    }
    return count >= minCount && *p == L'\0';
}

bool CFolderSkinParser::getInt(CString key, int& value)
{
    return readInts(key, &value, 1, 1);
}

bool CFolderSkinParser::getColor(CString key, COLORREF& value)
{
    CString text;
    if (!read(key, text))
        return false;
    if (!text.IsEmpty() && text[0] == L'#') {
        wchar_t* end = nullptr;
        const unsigned long rgb = wcstoul(text.GetString() + 1, &end, 16);
        if (text.GetLength() != 7 || *end)
            return false;
        value = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        return true;
    }
    int parts[3];
    if (!readInts(key, parts, 3, 3))
        return false;
    value = RGB(parts[0], parts[1], parts[2]);
    return true;
}

bool CFolderSkinParser::getRect(CString key, RECT& value)
{
    int parts[4];
    if (!readInts(key, parts, 4, 4))
        return false;
    value = RECT{parts[0], parts[1], parts[2], parts[3]};
    return true;
}

bool CFolderSkinParser::getPosition(CString key, POINT& offset, POINT& anchorPercent)
{
    int parts[4] = {0, 0, 0, 0};
    if (!readInts(key, parts, 2, 4))
        return false;
    offset = POINT{parts[0], parts[1]};
    anchorPercent = POINT{parts[2], parts[3]};
    return true;
}

bool CFolderSkinParser::getSize(CString key, SIZE& value)
{
    int parts[2];
    if (!readInts(key, parts, 2, 2))
        return false;
    value = SIZE{parts[0], parts[1]};
    return true;
}

bool CFolderSkinParser::getPoint(CString key, POINT& value)
{
    int parts[2];
    if (!readInts(key, parts, 2, 2))
        return false;
    value = POINT{parts[0], parts[1]};
    return true;
}

bool CFolderSkinParser::getFont(CString key, CFont& value)
{
    CString text;
    if (!read(key, text))
        return false;
    const int first = text.Find(L',');
    const int second = first < 0 ? -1 : text.Find(L',', first + 1);
    if (second < 0)
        return false;
    LOGFONTW font{};
    font.lfHeight = static_cast<LONG>(wcstol(text.Left(first), nullptr, 10));
    font.lfWeight = static_cast<LONG>(wcstol(text.Mid(first + 1, second - first - 1), nullptr, 10));
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, trimmed(text.Mid(second + 1)), LF_FACESIZE);
    return value.CreateFontIndirect(&font) != FALSE;
}

// A key with "@<dpi>" names the picture of its plain key at the scale that
// fits that DPI best.
bool CFolderSkinParser::imagePath(const CString& key, CString& path)
{
    const int at = key.Find(L'@');
    if (at < 0)
        return getFilePath(key, path);
    CString name;
    const int wanted = _wtoi(key.Mid(at + 1)) * 100 / USER_DEFAULT_SCREEN_DPI;
    if (wanted <= 100 || !read(key.Left(at), name) || name.IsEmpty())
        return false;
    int best = 0;
    for (const int scale : {125, 150, 175, 200, 250, 300}) {
        CString candidate;
        candidate.Format(L"%s\\%d\\%s", m_folder.GetString(), scale, name.GetString());
        if (GetFileAttributesW(candidate) == INVALID_FILE_ATTRIBUTES)
            continue;
        best = scale;
        path = candidate;
        if (best >= wanted)
            break;
    }
    return best != 0;
}

bool CFolderSkinParser::getBitmap(CString key, CDynBitmap& value)
{
    CString path;
    if (!imagePath(key, path))
        return false;
    HANDLE image =
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return image && value.Attach(image);
}

bool CFolderSkinParser::getRegion(CString key, CDynRgn& value)
{
    CDynBitmap mask;
    if (!getBitmap(key, mask))
        return false;
    HRGN region = regionFromBitmap(mask);
    return region && value.Attach(region);
}

bool CFolderSkinParser::getDouble(CString key, double& value)
{
    CString text;
    if (!read(key, text))
        return false;
    wchar_t* end = nullptr;
    const double parsed = wcstod(text, &end);
    if (end == text.GetString())
        return false;
    value = parsed;
    return true;
}

bool CFolderSkinParser::getText(CString key, CString& value)
{
    return read(key, value);
}

bool CFolderSkinParser::getBool(CString key, bool& value)
{
    CString text;
    if (!read(key, text))
        return false;
    if (text == L"1" || text.CompareNoCase(L"true") == 0 || text.CompareNoCase(L"yes") == 0)
        value = true;
    else if (text == L"0" || text.CompareNoCase(L"false") == 0 || text.CompareNoCase(L"no") == 0)
        value = false;
    else
        return false;
    return true;
}

bool CFolderSkinParser::getCursor(CString key, HCURSOR& value)
{
    CString path;
    if (!imagePath(key, path))
        return false;
    HCURSOR cursor =
        static_cast<HCURSOR>(LoadImageW(nullptr, path, IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
    if (!cursor)
        return false;
    m_cursors.push_back(cursor);
    value = cursor;
    return true;
}

bool CFolderSkinParser::getFilePath(const CString& key, CString& value)
{
    CString name;
    if (!read(key, name) || name.IsEmpty())
        return false;
    value = m_folder + L"\\" + name;
    return GetFileAttributesW(value) != INVALID_FILE_ATTRIBUTES;
}

bool CFolderSkinParser::getHorizontalAlignment(const CString& key, UINT& flags)
{
    CString text;
    if (!read(key, text))
        return false;
    if (text.CompareNoCase(L"left") == 0)
        flags = DT_LEFT;
    else if (text.CompareNoCase(L"center") == 0)
        flags = DT_CENTER;
    else if (text.CompareNoCase(L"right") == 0)
        flags = DT_RIGHT;
    else
        return false;
    return true;
}

bool CFolderSkinParser::getVerticalAlignment(const CString& key, UINT& flags)
{
    CString text;
    if (!read(key, text))
        return false;
    if (text.CompareNoCase(L"top") == 0)
        flags = DT_TOP;
    else if (text.CompareNoCase(L"center") == 0)
        flags = DT_VCENTER;
    else if (text.CompareNoCase(L"bottom") == 0)
        flags = DT_BOTTOM;
    else
        return false;
    return true;
}

bool CFolderSkinParser::getAnchor(const CString& key, int& a, int& b, int& c, int& d)
{
    int parts[4];
    if (!readInts(key, parts, 4, 4))
        return false;
    a = parts[0];
    b = parts[1];
    c = parts[2];
    d = parts[3];
    return true;
}
