// The PDF names and dictionary keys the writer uses, spelled as they are written (with the
// slash), so that a key is typed once and a typo fails to compile. The identifiers keep the PDF
// spelling: /CA and /ca are different keys.
#pragma once

namespace host::pdf::name {

inline constexpr char Ascent[] = "/Ascent";
inline constexpr char BaseFont[] = "/BaseFont";
inline constexpr char BBox[] = "/BBox";
inline constexpr char BitsPerComponent[] = "/BitsPerComponent";
inline constexpr char BM[] = "/BM";
inline constexpr char CA[] = "/CA";
inline constexpr char ca[] = "/ca";
inline constexpr char CapHeight[] = "/CapHeight";
inline constexpr char CIDFontType0[] = "/CIDFontType0";
inline constexpr char CIDFontType2[] = "/CIDFontType2";
inline constexpr char CIDSystemInfo[] = "/CIDSystemInfo";
inline constexpr char CIDToGIDMap[] = "/CIDToGIDMap";
inline constexpr char Colors[] = "/Colors";
inline constexpr char ColorSpace[] = "/ColorSpace";
inline constexpr char Columns[] = "/Columns";
inline constexpr char Crypt[] = "/Crypt";
inline constexpr char DCTDecode[] = "/DCTDecode";
inline constexpr char DecodeParms[] = "/DecodeParms";
inline constexpr char DescendantFonts[] = "/DescendantFonts";
inline constexpr char Descent[] = "/Descent";
inline constexpr char DeviceGray[] = "/DeviceGray";
inline constexpr char DeviceRGB[] = "/DeviceRGB";
inline constexpr char Encoding[] = "/Encoding";
inline constexpr char ExtGState[] = "/ExtGState";
inline constexpr char Filter[] = "/Filter";
inline constexpr char Flags[] = "/Flags";
inline constexpr char FlateDecode[] = "/FlateDecode";
inline constexpr char Font[] = "/Font";
inline constexpr char FontBBox[] = "/FontBBox";
inline constexpr char FontDescriptor[] = "/FontDescriptor";
inline constexpr char FontFile2[] = "/FontFile2";
inline constexpr char FontFile3[] = "/FontFile3";
inline constexpr char FontName[] = "/FontName";
inline constexpr char Form[] = "/Form";
inline constexpr char Group[] = "/Group";
inline constexpr char Height[] = "/Height";
inline constexpr char Identity[] = "/Identity";
inline constexpr char Identity_H[] = "/Identity-H";
inline constexpr char Image[] = "/Image";
inline constexpr char Indexed[] = "/Indexed";
inline constexpr char Interpolate[] = "/Interpolate";
inline constexpr char ItalicAngle[] = "/ItalicAngle";
inline constexpr char Length[] = "/Length";
inline constexpr char Length1[] = "/Length1";
inline constexpr char Matrix[] = "/Matrix";
inline constexpr char Multiply[] = "/Multiply";
inline constexpr char OpenType[] = "/OpenType";
inline constexpr char Predictor[] = "/Predictor";
inline constexpr char Resources[] = "/Resources";
inline constexpr char Rotate[] = "/Rotate";
inline constexpr char SMask[] = "/SMask";
inline constexpr char StemV[] = "/StemV";
inline constexpr char Subtype[] = "/Subtype";
inline constexpr char ToUnicode[] = "/ToUnicode";
inline constexpr char Type[] = "/Type";
inline constexpr char Type0[] = "/Type0";
inline constexpr char UserUnit[] = "/UserUnit";
inline constexpr char W[] = "/W";
inline constexpr char Width[] = "/Width";
inline constexpr char XObject[] = "/XObject";

}  // namespace host::pdf::name
