// The archive's encodings, checked against bytes written out by hand.
#include "core/archive.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/map_string_to_ob.h"
#include "core/map_string_to_string.h"
#include "core/ob_list.h"
#include "core/string_list.h"
#include "tests/support/bytes.h"

namespace {

using ov2::test::Bytes;
using ov2::test::Hex;

template <class F>
std::string Store(F&& write) {
    std::string out;
    CArchive ar([&out](const char* data, std::size_t n) { out.append(data, n); return true; });
    write(ar);
    ar.Flush();
    return out;
}

TEST(Archive, StringLengthsSwitchFormAt255And65534) {
    struct Case { std::size_t length; std::string prefix; };
    const Case cases[] = {
        {0, Bytes().Byte(0).str()},
        {254, Bytes().Byte(254).str()},
        {255, Bytes().Byte(0xFF).Word(255).str()},
        {65533, Bytes().Byte(0xFF).Word(65533).str()},
        {65534, Bytes().Byte(0xFF).Word(0xFFFF).DWord(65534).str()},
        {70000, Bytes().Byte(0xFF).Word(0xFFFF).DWord(70000).str()},
    };
    for (const Case& c : cases) {
        const std::string text(c.length, 'x');
        const std::string bytes = Store([&](CArchive& ar) { ar.WriteString(text); });
        EXPECT_EQ(Hex(bytes.substr(0, c.prefix.size())), Hex(c.prefix)) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length);
        CArchive in(bytes);
        EXPECT_EQ(in.ReadString(), text);
        EXPECT_EQ(in.BytesLeft(), 0u);
    }
}

TEST(Archive, CountsUseADoubleWordFrom0xFFFF) {
    EXPECT_EQ(Hex(Store([](CArchive& ar) { ar.WriteCount(0xFFFE); })), "fe ff");
    EXPECT_EQ(Hex(Store([](CArchive& ar) { ar.WriteCount(0xFFFF); })), "ff ff ff ff 00 00");
    const std::string big = Bytes().Word(0xFFFF).DWord(3).Raw({1, 2, 3}).str();
    CArchive in(big);
    EXPECT_EQ(in.ReadCount(1), 3u);
}

TEST(Archive, ReadsWideStringsAsUtf8) {
    // "Aé€" then a surrogate pair (U+1F600) and a lone high surrogate.
    const std::string bytes = Bytes()
                                  .Byte(0xFF).Word(0xFFFE).Byte(6)
                                  .Word('A').Word(0xE9).Word(0x20AC).Word(0xD83D).Word(0xDE00).Word(0xD800)
                                  .Byte(0xFF).Word(0xFFFE).Byte(0xFF).Word(300)
                                  .str();
    std::string longWide = bytes;
    for (int i = 0; i < 300; ++i) longWide += Bytes().Word('z').str();
    CArchive in(longWide);
    EXPECT_EQ(in.ReadString(), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(in.ReadString(), std::string(300, 'z'));
}

TEST(Archive, LongStringsReadFromAStreamAcrossBufferRefills) {
    const std::string first(100000, 'a'), second(70000, '\xE9');
    const std::string bytes = Store([&](CArchive& ar) {
        ar.WriteString("x");
        ar.WriteString(first);
        ar.WriteString(second);
        ar.WriteWord(0xBEEF);
    });
    std::istringstream stream(bytes);
    CArchive in(stream);
    EXPECT_EQ(in.ReadString(), "x");
    EXPECT_EQ(in.ReadString(), first);
    EXPECT_EQ(in.ReadString(), second);
    EXPECT_EQ(in.ReadWord(), 0xBEEF);
    EXPECT_THROW(in.ReadByte(), CArchiveException);
}

TEST(Archive, ObjectsWrittenTwiceBecomeReferencesAndReadBackShared) {
    auto list = std::make_shared<CStringList>();
    list->m_strings = {"a"};
    CObList holder;
    holder.m_objects = {list, nullptr, list};
    const std::string bytes = Store([&](CArchive& ar) { ar.WriteObject(&holder); });
    // CObList is class 1, object 2; CStringList class 3, object 4; then null and index 4.
    EXPECT_EQ(Hex(bytes), Hex(Bytes().NewClass("CObList").Word(3).NewClass("CStringList").Word(1).Str("a")
                                   .Word(0).Word(4)));
    CArchive in(bytes);
    auto read = std::static_pointer_cast<CObList>(in.ReadObject(nullptr));
    ASSERT_EQ(read->m_objects.size(), 3u);
    EXPECT_EQ(read->m_objects[1], nullptr);
    EXPECT_EQ(read->m_objects[0], read->m_objects[2]);
    EXPECT_EQ(std::static_pointer_cast<CStringList>(read->m_objects[0])->m_strings, list->m_strings);
}

TEST(Archive, ReadsLargeFormClassAndObjectReferences) {
    // A list whose second element names its class as 0x7FFF + 0x80000003 and whose third refers
    // to object 4 as 0x7FFF + 4.
    const std::string bytes = Bytes()
                                  .NewClass("CObList").Word(3)
                                  .NewClass("CStringList").Word(1).Str("a")
                                  .Word(0x7FFF).DWord(0x80000003).Word(1).Str("b")
                                  .Word(0x7FFF).DWord(4)
                                  .str();
    CArchive in(bytes);
    auto read = std::static_pointer_cast<CObList>(in.ReadObject(nullptr));
    ASSERT_EQ(read->m_objects.size(), 3u);
    EXPECT_EQ(std::static_pointer_cast<CStringList>(read->m_objects[1])->m_strings[0], "b");
    EXPECT_EQ(read->m_objects[2], read->m_objects[0]);
}

TEST(Archive, MapsWriteBucketsInOrderNewestFirst) {
    EXPECT_EQ(OvHashMap<int>::Bucket("SearchCombo"), 4u);
    EXPECT_EQ(OvHashMap<int>::Bucket("LendCombo"), 15u);
    EXPECT_EQ(OvHashMap<int>::Bucket("CDDB"), 16u);
    // Bytes of 0x80 and above count as negative.
    EXPECT_EQ(OvHashMap<int>::Bucket("\xFF"), (0xFFFFFFFFu) % 17);

    // "a" (97) and "r" (114) share bucket 12; "b" is alone in bucket 13.
    ASSERT_EQ(OvHashMap<int>::Bucket("a"), OvHashMap<int>::Bucket("r"));
    CMapStringToString map;
    map.m_map.SetAt("b", "2");
    map.m_map.SetAt("a", "1");
    map.m_map.SetAt("r", "3");
    map.m_map.SetAt("a", "one");  // a known key keeps its place
    const std::string bytes = Store([&](CArchive& ar) { map.Serialize(ar); });
    EXPECT_EQ(Hex(bytes), Hex(Bytes().Word(3).Str("r").Str("3").Str("a").Str("one").Str("b").Str("2")));

    // Reading inserts in file order, so the two keys of bucket 12 swap on the next write.
    CMapStringToString reread;
    CArchive in(bytes);
    reread.Serialize(in);
    EXPECT_EQ(Hex(Store([&](CArchive& ar) { reread.Serialize(ar); })),
              Hex(Bytes().Word(3).Str("a").Str("one").Str("r").Str("3").Str("b").Str("2")));
    std::vector<std::string> order;
    for (const auto* entry : reread.m_map.InInsertionOrder()) order.push_back(entry->key);
    EXPECT_EQ(order, (std::vector<std::string>{"r", "a", "b"}));
}

TEST(Archive, AWriteErrorIsReported) {
    CArchive ar([](const char*, std::size_t) { return false; });
    ar.WriteString("abc");
    EXPECT_THROW(ar.Flush(), CArchiveException);
}

}  // namespace
