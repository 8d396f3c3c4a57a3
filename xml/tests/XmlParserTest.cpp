// Tests of the XML parser: the tree it builds, its error codes with their positions, the
// warnings that keep the tree, encoding detection, 16-bit files and openFileHelper's message.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "xml/WideText.h"
#include "xml/XmlParser.h"

namespace {

// Restores the default options (UTF-8, wide-text check, trimming) around every test.
class XmlTest : public ::testing::Test {
 protected:
  void SetUp() override { setParserOptions(kXmlEncodingUtf8, 1, 1); }
  void TearDown() override {
    setParserOptions(kXmlEncodingUtf8, 1, 1);
    for (const auto& path : files_) std::filesystem::remove(path);
  }

  XmlElement parse(const std::string& text, std::string_view tag = "") {
    return parseXmlText(text.c_str(), tag, result_);
  }

  std::string writeFile(const std::string& name, const std::string& bytes) {
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string path =
        (std::filesystem::temp_directory_path() / ("qiva_xml_" + std::string(test) + "_" + name))
            .string();
    std::ofstream(path, std::ios::binary) << bytes;
    files_.push_back(path);
    return path;
  }

  XmlParseResult result_;
  std::vector<std::string> files_;
};

std::string utf16le(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

// ---------------------------------------------------------------------------------------------

TEST_F(XmlTest, decodesNamedEntitiesInAnyCaseAndNumericOnes) {
  XmlElement a = parse("<a v='&AMP;&lt;&Gt;&quot;&apos;' w='&#65;&#x41;&#X4a;'>&amp;&#259;</a>");
  ASSERT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(a.attributeValue("v"), "&<>\"'");
  EXPECT_STREQ(a.attributeValue("w"), "AAJ");
  EXPECT_STREQ(a.textAt(0), "&\xC4\x83");
}

// A numeric reference names a code point: a UTF-8 document stores the letter it names, never
// the low byte of the number (&#259; once became the control byte 0x03, &#x100; a 0 that cut
// the value short). A single-byte document keeps the bytes below 256 and writes "?" for others.
TEST_F(XmlTest, numericReferencesWriteTheCodePointInTheDocumentsEncoding) {
  const std::string text =
      "<a v='&#259;&#x219;&#xE2;&#x100;x' w='&#x1F600;&#127;&#128;' s='&#x10FFFF;'/>";
  XmlElement a = parse(text, "a");
  ASSERT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(a.attributeValue("v"), "\xC4\x83\xC8\x99\xC3\xA2\xC4\x80x");
  EXPECT_STREQ(a.attributeValue("w"), "\xF0\x9F\x98\x80\x7F\xC2\x80");
  EXPECT_STREQ(a.attributeValue("s"), "\xF4\x8F\xBF\xBF");

  setParserOptions(kXmlEncodingSingleByte, 1, 1);
  a = parse(text, "a");
  ASSERT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(a.attributeValue("v"), "??\xE2?x");
  EXPECT_STREQ(a.attributeValue("w"), "?\x7F\x80");

  // In Shift-JIS a byte above 0x7F could start a two-byte character.
  setParserOptions(kXmlEncodingShiftJis, 1, 1);
  EXPECT_STREQ(parse("<a v='&#65;&#xE2;'/>", "a").attributeValue("v"), "A?");

  // 0, surrogates and numbers past the last code point name no character, in any encoding.
  for (int encoding : {kXmlEncodingUtf8, kXmlEncodingSingleByte}) {
    setParserOptions(encoding, 1, 1);
    for (const char* bad :
         {"<a v='&#0;'/>", "<a v='&#x0000;'/>", "<a v='&#xD800;'/>", "<a>&#57343;</a>",
          "<a v='&#x110000;'/>", "<a v='&#99999999999999999999;'/>", "<a v='&#x100000041;'/>"}) {
      EXPECT_TRUE(parse(bad, "a").isNull()) << bad;
      EXPECT_EQ(result_.code, kXmlErrorUnknownEntity) << bad;
    }
  }
}

TEST_F(XmlTest, rejectsUnknownOrUnfinishedEntitiesAtTheAmpersand) {
  for (const char* text :
       {"<a>x &nbsp;</a>", "<a v='&#65'/>", "<a v='&#;'/>", "<a>&#x4g;</a>", "<a>&</a>"}) {
    XmlElement a = parse(text, "a");
    EXPECT_EQ(result_.code, kXmlErrorUnknownEntity) << text;
    EXPECT_TRUE(a.isNull()) << text;
  }
  parse("<a>\n  x &nbsp;</a>");
  EXPECT_EQ(result_.line, 2);
  EXPECT_EQ(result_.column, 5);
}

TEST_F(XmlTest, keepsAttributesWithAndWithoutValues) {
  XmlElement a = parse("<a x='1' y Z=\"\" u=plain q=\"a>b/c\"/>", "a");
  ASSERT_EQ(result_.code, kXmlNoError);
  ASSERT_EQ(a.attributeCount(), 5);
  EXPECT_STREQ(a.attributeValue("x"), "1");
  EXPECT_STREQ(a.attributeNameAt(1), "y");
  EXPECT_EQ(a.attributeValue("y"), nullptr);  // written without a value
  EXPECT_STREQ(a.attributeValue("z"), "");
  EXPECT_EQ(a.attributeValue("missing"), nullptr);
  EXPECT_STREQ(a.attributeValue("U"), "plain");
  EXPECT_STREQ(a.attributeValue("q"), "a>b/c");
}

TEST_F(XmlTest, attributeAndChildLookUpsResumeFromAPosition) {
  XmlElement r = parse("<r k='1' K='2'><c n='a'/><d/><C n='b'/></r>");
  int position = 0;
  EXPECT_STREQ(r.attributeValue("k", &position), "1");
  EXPECT_EQ(position, 1);
  EXPECT_STREQ(r.attributeValue("k", &position), "2");
  EXPECT_EQ(r.attributeValue("k", &position), nullptr);
  position = 0;
  EXPECT_STREQ(r.findChild("c", &position).attributeValue("n"), "a");
  EXPECT_STREQ(r.findChild("c", &position).attributeValue("n"), "b");
  EXPECT_EQ(position, 3);
  EXPECT_TRUE(r.findChild("c", &position).isNull());
  EXPECT_STREQ(r.childAt(1).tagName(), "d");
  EXPECT_TRUE(r.childAt(3).isNull());
  EXPECT_TRUE(r.childAt(-1).isNull());
  EXPECT_EQ(r.textAt(0), nullptr);
}

// The range gives every child in document order and holds its own handle on the parent: a loop
// over a section whose tree nobody else holds still reads it whole.
TEST_F(XmlTest, childrenRangeWalksEveryChildInOrderAndKeepsTheTreeAlive) {
  XmlChildren children = parse("<r><a/><b>t</b><c/></r>", "r").children();
  std::string names;
  for (const XmlElement& child : children) names += child.tagName();
  EXPECT_EQ(names, "abc");
  int count = 0;
  for (const XmlElement& child : children) count += child.isNull() ? 0 : 1;
  EXPECT_EQ(count, 3);
}

TEST_F(XmlTest, emptyElementAnswersEveryReadingOperation) {
  const XmlElement& e = XmlElement::empty();
  EXPECT_TRUE(e.isNull());
  EXPECT_EQ(e.tagName(), nullptr);
  EXPECT_EQ(e.childCount() + e.textCount() + e.clearCount() + e.attributeCount(), 0);
  EXPECT_TRUE(e.childAt(0).isNull());
  EXPECT_EQ(e.children().begin(), e.children().end());
  EXPECT_TRUE(e.findChild("a").isNull());
  EXPECT_EQ(e.attributeValue("a"), nullptr);
  EXPECT_EQ(e.textAt(0), nullptr);
}

TEST_F(XmlTest, rejectsMarkupOutOfPlaceInsideAStartTag) {
  for (const char* text :
       {"<a x==1/>", "<a =1/>", "<a x='1' '2'/>", "<a <b/>", "<a x=\"1<2\"/>", "<a x=/>"}) {
    parse(text, "a");
    EXPECT_EQ(result_.code, kXmlErrorUnexpectedToken) << text;
  }
}

TEST_F(XmlTest, reportsMissingTagNames) {
  parse("<a>< ></a>", "a");
  EXPECT_EQ(result_.code, kXmlErrorMissingStartTagName);
  EXPECT_EQ(result_.column, 6);
  parse("<a></ ></a>", "a");
  EXPECT_EQ(result_.code, kXmlErrorMissingEndTagName);
  parse("<a></a b>", "a");
  EXPECT_EQ(result_.code, kXmlErrorMissingEndTagName);
}

TEST_F(XmlTest, unmatchedEndTagClosesInnerElementsWithAWarning) {
  XmlElement a = parse("<a><b>\n<c/></A>", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_EQ(result_.line, 2);
  EXPECT_EQ(result_.column, 5);
  ASSERT_EQ(a.childCount(), 1);
  EXPECT_STREQ(a.childAt(0).tagName(), "b");
  EXPECT_STREQ(a.childAt(0).childAt(0).tagName(), "c");
}

TEST_F(XmlTest, handedUpEndTagIsTakenByTheFirstEnclosingElementOfItsName) {
  XmlElement a = parse("<a><b><c>t</B>after</a>", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_EQ(result_.column, 11);
  ASSERT_EQ(a.childCount(), 1);
  XmlElement b = a.childAt(0);
  EXPECT_STREQ(b.childAt(0).tagName(), "c");
  EXPECT_STREQ(b.childAt(0).textAt(0), "t");
  EXPECT_EQ(b.textCount(), 0);
  EXPECT_STREQ(a.textAt(0), "after");  // parsing went on in b's parent
}

// An end tag is taken by an element whose name it starts with, when a blank, "/", "<", "=" or
// ">" follows that start; a longer name of other letters is not the element's.
TEST_F(XmlTest, endTagNameMayGoOnAfterTheElementsNameBehindASlash) {
  XmlElement ab = parse("<ab>t</AB/c>", "ab");
  EXPECT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(ab.textAt(0), "t");
  XmlElement r = parse("<r><ab/><ab>x</ab/x ></r>", "r");
  EXPECT_EQ(result_.code, kXmlNoError);
  EXPECT_EQ(r.childCount(), 2);
  parse("<r><ab></abc></r>", "r");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
  parse("<abc></ab>", "abc");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
}

TEST_F(XmlTest, endTagThatNoOpenElementTakesIsFatal) {
  XmlElement a = parse("<r><a></x></r>", "r");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
  EXPECT_EQ(result_.column, 7);
  EXPECT_TRUE(a.isNull());
}

TEST_F(XmlTest, missingEndTagsAtTheEndKeepTheTree) {
  XmlElement a = parse("<a><b x='1'>text", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_EQ(result_.column, 17);
  EXPECT_STREQ(a.childAt(0).textAt(0), "text");
  parse("<a><b x='1'", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
}

TEST_F(XmlTest, strayEndTagEndsTheParseOnlyWithoutADeclaration) {
  XmlElement a = parse("<a/>\n</z><b/>", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_EQ(result_.line, 2);
  EXPECT_STREQ(a.tagName(), "a");
  EXPECT_TRUE(parse("<a/></z><b/>", "b").isNull());  // the rest was not read
  EXPECT_EQ(result_.code, kXmlErrorFirstTagNotFound);

  // After <?xml ...?> everything is the declaration's content, so the stray end tag is handed
  // up from the declaration to the document node.
  EXPECT_TRUE(parse("<?xml version=\"1.0\"?><a/></z>", "a").isNull());
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
}

TEST_F(XmlTest, declarationHoldsTheDocumentAndItsClosingMarkAddsNoAttribute) {
  XmlElement c = parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogues><x/></Catalogues>",
                       "catalogues");
  ASSERT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(c.tagName(), "Catalogues");
  XmlElement declaration = parse("<?xml version=1.0 standalone?>\n<r/>");
  ASSERT_TRUE(declaration.isDeclaration());
  EXPECT_STREQ(declaration.tagName(), "xml");
  ASSERT_EQ(declaration.attributeCount(), 2);
  EXPECT_STREQ(declaration.attributeValue("version"), "1.0");
  EXPECT_STREQ(declaration.attributeNameAt(1), "standalone");
  parse("<?xml version=\"1.0\"?>");
  EXPECT_EQ(result_.code, kXmlNoError);  // reaching the end inside a declaration is no fault
  // The end of the data inside a declaration is no fault even where an element encloses it;
  // the element is still reported as cut short.
  XmlElement a = parse("<a><?foo?>", "a");
  EXPECT_EQ(result_.code, kXmlNoError);
  EXPECT_TRUE(result_.cutShort);
  EXPECT_TRUE(a.childAt(0).isDeclaration());
  parse("<a><?foo?><b>", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
}

TEST_F(XmlTest, unparsedSectionsAreClearsWithTheirMarkers) {
  XmlElement a = parse(
      "<a>x<!-- <b>c</b> --><![CDATA[<&amp;>]]><!DOCTYPE d [<!ENTITY e 'f'>]><PRE>p</PRE>y</a>",
      "a");
  ASSERT_EQ(result_.code, kXmlNoError);
  EXPECT_EQ(a.childCount(), 0);
  ASSERT_EQ(a.clearCount(), 4);
  EXPECT_STREQ(a.clearAt(0).value, " <b>c</b> ");
  EXPECT_STREQ(a.clearAt(0).openTag, "<!--");
  EXPECT_STREQ(a.clearAt(0).closeTag, "-->");
  EXPECT_STREQ(a.clearAt(1).value, "<&amp;>");
  EXPECT_STREQ(a.clearAt(2).value, " d [<!ENTITY e 'f'>");
  EXPECT_STREQ(a.clearAt(2).closeTag, "]>");
  EXPECT_STREQ(a.clearAt(3).value, "p");
  ASSERT_EQ(a.textCount(), 2);
  EXPECT_STREQ(a.textAt(1), "y");
  EXPECT_EQ(a.clearAt(4).value, nullptr);

  parse("<a>\n <!-- never closed </a>", "a");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedClearTag);
  EXPECT_EQ(result_.line, 2);
  EXPECT_EQ(result_.column, 2);
}

TEST_F(XmlTest, trimsWhiteSpaceAroundTextsUnlessTurnedOff) {
  XmlElement a = parse("<a> \t\r\n <b/> a b \n</a>", "a");
  ASSERT_EQ(a.textCount(), 1);
  EXPECT_STREQ(a.textAt(0), "a b");
  EXPECT_EQ(setParserOptions(kXmlEncodingUtf8, 1, 0), 0);
  a = parse("<a> \t<b/> a b </a>", "a");
  ASSERT_EQ(a.textCount(), 2);
  EXPECT_STREQ(a.textAt(0), " \t");
  EXPECT_STREQ(a.textAt(1), " a b ");
}

TEST_F(XmlTest, choosesTheDocumentElementByTagInAnyCase) {
  EXPECT_STREQ(parse("<Root/>", "rOOT").tagName(), "Root");
  // Text or a comment beside the root keeps the document node; the tag is then searched.
  EXPECT_STREQ(parse("junk<!--c--><Other/><Root/>", "root").tagName(), "Root");
  XmlElement document = parse("junk<Root/>");
  EXPECT_EQ(document.tagName(), nullptr);
  EXPECT_FALSE(document.isNull());
  EXPECT_TRUE(parse("<Other/>", "Root").isNull());
  EXPECT_EQ(result_.code, kXmlErrorFirstTagNotFound);
  EXPECT_EQ(result_.line, 0);
  EXPECT_EQ(result_.column, 0);
}

TEST_F(XmlTest, tagSearchDescendsIntoDeclarations) {
  XmlElement r = parse("<?xml version='1.0'?><?style a='b'?><Other/><Root n='1'/>", "root");
  EXPECT_STREQ(r.attributeValue("n"), "1");
  // A plain element that is not the tag is passed over, not searched.
  EXPECT_TRUE(parse("<x><Other><Root/></Other></x>junk", "root").isNull());
  EXPECT_EQ(result_.code, kXmlErrorFirstTagNotFound);
  XmlElement document = parse("<a/><b/>");
  EXPECT_EQ(document.tagName(), nullptr);
  EXPECT_EQ(document.childCount(), 2);
}

TEST_F(XmlTest, textWithoutElementsIsAWarningUntilATagIsAskedFor) {
  parse("just text");
  EXPECT_EQ(result_.code, kXmlWarningNoTagFound);
  EXPECT_TRUE(parse("just text", "a").isNull());
  EXPECT_EQ(result_.code, kXmlErrorFirstTagNotFound);
  parse("<!-- only a comment -->", "a");
  EXPECT_EQ(result_.code, kXmlErrorFirstTagNotFound);
  EXPECT_TRUE(parseXmlText(static_cast<const char*>(nullptr), "a", result_).isNull());
  EXPECT_EQ(result_.code, kXmlErrorNoElements);
}

TEST_F(XmlTest, countsLinesAndColumnsByCharactersOfTheEncoding) {
  std::string text = "<a>\r\n\xC4\x83\xC4\x83</b>";
  parse(text, "a");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
  EXPECT_EQ(result_.line, 2);
  EXPECT_EQ(result_.column, 3);
  setParserOptions(kXmlEncodingSingleByte, 1, 1);
  parse(text, "a");
  EXPECT_EQ(result_.column, 5);
}

TEST_F(XmlTest, multiByteCharactersAreNeverTakenForMarkup) {
  // The value of ă is the same two bytes in UTF-8 and single-byte mode.
  for (int encoding : {kXmlEncodingUtf8, kXmlEncodingSingleByte}) {
    setParserOptions(encoding, 1, 1);
    EXPECT_STREQ(parse("<a v='\xC4\x83'/>", "a").attributeValue("v"), "\xC4\x83");
  }
  // In Shift-JIS 0x81 starts a two-byte character, so the < after it is no tag.
  setParserOptions(kXmlEncodingShiftJis, 1, 1);
  XmlElement a = parse("<a>\x81</a>", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_STREQ(a.textAt(0), "\x81</a>");
  setParserOptions(kXmlEncodingUtf8, 1, 1);
  a = parse("<a>\x81</a>", "a");
  EXPECT_EQ(result_.code, kXmlNoError);
  // A multi-byte start at the very end of the data does not step past it.
  parse("<a>\xF0", "a");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
}

TEST_F(XmlTest, sizedTextEndsAtItsSizeOrItsFirstZeroByte) {
  const char bytes[] = {'<', 'a', '>', 'x', '<', '/', 'a', '>', '<', 'b'};
  XmlElement a = parseXmlText(std::string_view(bytes, 8), "a", result_);
  EXPECT_EQ(result_.code, kXmlNoError);
  EXPECT_STREQ(a.textAt(0), "x");
  a = parseXmlText(std::string_view("<a>x\0</a>", 9), "a", result_);
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  EXPECT_STREQ(a.textAt(0), "x");
  // An entity cut by the end of its value is unknown, never read beyond the value.
  parse("<a v='&amp'/>", "a");
  EXPECT_EQ(result_.code, kXmlErrorUnknownEntity);
}

TEST_F(XmlTest, setParserOptionsIgnoresAnUnknownEncoding) {
  EXPECT_EQ(setParserOptions(kXmlEncodingSingleByte, 1, 1), 0);
  EXPECT_EQ(setParserOptions(7, 1, 1), 1);
  parse("<a>\xC4\x83</b>", "a");
  EXPECT_EQ(result_.column, 6);  // still single-byte
}

TEST_F(XmlTest, errorTextsFollowTheTable) {
  EXPECT_STREQ(errorText(0), "No error");
  EXPECT_STREQ(errorText(11), "Error: First Tag not found");
  EXPECT_STREQ(errorText(13), "Error: unable to convert between WideChar and MultiByte chars");
  EXPECT_STREQ(errorText(19), "Error: Base64 decode output buffer is too small");
  EXPECT_STREQ(errorText(20), "Unknown");
  EXPECT_STREQ(errorText(-1), "Unknown");
}

// ---------------------------------------------------------------------------------------------

TEST_F(XmlTest, detectsTheEncodingFromTheFirstBytes) {
  auto detect = [](const std::string& bytes) {
    return detectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), true);
  };
  const std::string body = "<Catalogues name='x'>padding padding</Catalogues>";
  EXPECT_EQ(detect("<a/>"), kXmlEncodingUnknown);  // fewer than 25 bytes
  EXPECT_EQ(detect("\xEF\xBB\xBF" + body), kXmlEncodingUtf8);
  EXPECT_EQ(detect("<a v='\xC4\x83'>" + body), kXmlEncodingUtf8);
  EXPECT_EQ(detect("<a v='\xE3 '>" + body), kXmlEncodingSingleByte);
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding = 'windows-1250'?>" + body),
            kXmlEncodingSingleByte);
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=\"UTF8\"?>" + body), kXmlEncodingUtf8);
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=\"utf-8\"?>\xE3 " + body), kXmlEncodingUnknown);
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=\"Shift-JIS\"?>" + body), kXmlEncodingShiftJis);
  EXPECT_EQ(detect("<?xml version=\"1.0\" encoding=windows-1250?>" + body), kXmlEncodingUtf8);
  EXPECT_EQ(detect("\xFF\xFE" + utf16le(body)), kXmlEncodingUnknown);
  EXPECT_EQ(detect(body + "\xC4"), kXmlEncodingUtf8);  // cut by the end of the bytes
}

TEST_F(XmlTest, openFileHelperAppliesTheDetectedEncoding) {
  // The same bytes count as one column per byte once the file declares windows-1250.
  std::string bad = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<a>\xC4\x83</b>";
  std::string path = writeFile("cp1250.xml", bad);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(openFileHelper(path, "a").isNull());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("At line 2, column 6."), std::string::npos) << out;

  // Declared UTF-8 with bytes that are not UTF-8: the encoding chosen before stays.
  std::string lying = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\xE3\x20\x20</b>";
  path = writeFile("lying.xml", lying);
  testing::internal::CaptureStdout();
  openFileHelper(path, "a");
  out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("At line 2, column 7."), std::string::npos) << out;
}

TEST_F(XmlTest, openFileHelperPrintsTheFailureOnStandardOutput) {
  std::string path = writeFile("other.xml", "<Other/>");
  testing::internal::CaptureStdout();
  EXPECT_TRUE(openFileHelper(path, "Catalogues").isNull());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "XML Parsing error inside file '" + path +
                "'.\nError: First Tag not found\nAt line 0, column 0.\n"
                "First Tag should be 'Catalogues'.\n");

  testing::internal::CaptureStdout();
  EXPECT_TRUE(openFileHelper(path + ".missing", "Catalogues").isNull());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "XML Parsing error inside file '" + path +
                ".missing'.\nError: File not found\nAt line 0, column 0.\n");

  path = writeFile("warn.xml", "<Catalogues><a>");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(openFileHelper(path, "Catalogues").isNull());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "XML Parsing error inside file '" + path +
                "'.\nWarning: Unmatched end tag\nAt line 1, column 16.\n");
}

TEST_F(XmlTest, loadXmlFileReportsEmptyAndMissingFiles) {
  XmlParseResult r{5, 5, 5};
  EXPECT_TRUE(loadXmlFile(writeFile("empty.xml", ""), "a", r).isNull());
  EXPECT_EQ(r.code, kXmlErrorNoData);
  EXPECT_EQ(r.line, 0);
  EXPECT_TRUE(loadXmlFile("/nonexistent/dir/file.xml", "a", r).isNull());
  EXPECT_EQ(r.code, kXmlErrorFileNotFound);
  EXPECT_TRUE(loadXmlFile(std::filesystem::temp_directory_path().string(), "a", r).isNull());
  EXPECT_EQ(r.code, kXmlErrorFileNotFound);
  // The UTF-8 marker is skipped, so it does not stand as text beside the root.
  XmlElement root = loadXmlFile(writeFile("bom.xml", "\xEF\xBB\xBF<r/>"), "", r);
  EXPECT_EQ(r.code, kXmlNoError);
  EXPECT_STREQ(root.tagName(), "r");
}

TEST_F(XmlTest, utf16FileParsesLikeItsUtf8Twin) {
  const std::string utf8 = "<a n='\xC4\x83\xC8\x99' t='&amp;'>x</a>";
  std::string wide = "\xFF\xFE" + utf16le("<a n='") + std::string("\x03\x01\x19\x02", 4) +
                     utf16le("' t='&amp;'>x</a>");
  XmlParseResult r;
  XmlElement a = loadXmlFile(writeFile("wide.xml", wide), "a", r);
  ASSERT_EQ(r.code, kXmlNoError);
  EXPECT_STREQ(a.attributeValue("n"), parse(utf8, "a").attributeValue("n"));
  EXPECT_STREQ(a.attributeValue("t"), "&");
  EXPECT_STREQ(a.textAt(0), "x");
#ifndef _WIN32  // on Windows the system's code page decides
  // Without a marker, and narrowed to Windows-1250 in single-byte mode: ș is not in it.
  setParserOptions(kXmlEncodingSingleByte, 1, 1);
  a = loadXmlFile(writeFile("wide2.xml", wide.substr(2)), "a", r);
  ASSERT_EQ(r.code, kXmlNoError);
  EXPECT_STREQ(a.attributeValue("n"), "\xE3?");
#endif
}

TEST_F(XmlTest, wideTextCheckOffReadsA16BitFileAsBytes) {
  std::string path = writeFile("wide.xml", "\xFF\xFE" + utf16le("<a>x</a>"));
  setParserOptions(kXmlEncodingUtf8, 0, 1);
  XmlParseResult r;
  EXPECT_TRUE(loadXmlFile(path, "a", r).isNull());
  // The 0 after < ends the data: no element at all, so the tag is not found.
  EXPECT_EQ(r.code, kXmlErrorFirstTagNotFound);
  setParserOptions(kXmlEncodingUtf8, 1, 1);
  EXPECT_STREQ(loadXmlFile(path, "a", r).textAt(0), "x");
}

TEST_F(XmlTest, narrowsSurrogatesAndStopsAtTheFirstWideZero) {
  const unsigned char pair[] = {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 0x41, 0x00, 0, 0, 0x42, 0};
  EXPECT_EQ(narrowWideText(pair, sizeof pair, true),
            "\xF0\x9F\x98\x80\xEF\xBF\xBD"
            "A");
#ifndef _WIN32  // on Windows the system's code page decides
  EXPECT_EQ(narrowWideText(pair, sizeof pair, false), "??A");
#endif
  EXPECT_FALSE(looksLikeWideText(reinterpret_cast<const unsigned char*>("<a>text</a>"), 11));
}

// ---------------------------------------------------------------------------------------------

TEST_F(XmlTest, deepNestingIsParsedAndReleasedWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<e>";
  for (int i = 0; i < kDepth; ++i) text += "</e>";
  XmlElement e = parse(text, "e");
  ASSERT_EQ(result_.code, kXmlNoError);
  int depth = 1;
  for (XmlElement c = e.childAt(0); !c.isNull(); c = c.childAt(0)) ++depth;
  EXPECT_EQ(depth, kDepth);
  // Unclosed, and closed all at once by one end tag handed up the whole chain.
  parse(text.substr(0, 3 * kDepth), "e");
  EXPECT_EQ(result_.code, kXmlWarningUnmatchedEndTag);
  parse(text.substr(0, 3 * kDepth) + "</x>", "e");
  EXPECT_EQ(result_.code, kXmlErrorUnmatchedEndTag);
}

TEST_F(XmlTest, heldChildOutlivesItsReleasedTree) {
  XmlElement child;
  {
    XmlElement root = parse("<r><c v='kept'><g/></c><d/></r>", "r");
    child = root.childAt(0);
    XmlElement copy = child;
    copy = copy;  // self-assignment changes nothing
  }
  EXPECT_STREQ(child.tagName(), "c");
  EXPECT_STREQ(child.attributeValue("v"), "kept");
  EXPECT_STREQ(child.childAt(0).tagName(), "g");
}

TEST_F(XmlTest, parsesOnSeveralThreadsWhileOptionsChange) {
  // Each parse works on its own snapshot of the options and its own tree.
  std::atomic<bool> failed{false};
  std::atomic<bool> done{false};
  std::thread flipper([&done] {
    for (int i = 0; !done; ++i) setParserOptions(1 + i % 2, 1, 1);
  });
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&failed, t] {
      std::string text = "<r>";
      for (int i = 0; i < 200; ++i) text += "<c v='" + std::to_string(t * 1000 + i) + "'/>";
      text += "</r>";
      for (int round = 0; round < 50; ++round) {
        XmlParseResult r;
        XmlElement root = parseXmlText(text.c_str(), "r", r);
        if (r.code != 0 || root.childCount() != 200 ||
            std::string(root.childAt(199).attributeValue("v")) != std::to_string(t * 1000 + 199)) {
          failed = true;
        }
      }
    });
  }
  for (auto& worker : workers) worker.join();
  done = true;
  flipper.join();
  EXPECT_FALSE(failed);
}

}  // namespace
