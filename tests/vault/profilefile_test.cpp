#include <gtest/gtest.h>

#include <tuple>

#include "profilefile.h"

namespace {

TEST(ProfileFile, ReadsWhatTheWindowsFunctionsAccept)
{
    const ProfileFile file = ProfileFile::parse("; comment\r\n"
                                                "[Config]\r\n"
                                                "  Image  =  photo.jpg  \r\n"
                                                "empty=\r\n"
                                                "quoted=\"a b \"\r\n"
                                                "single='x'\r\n"
                                                "half=\"open\r\n"
                                                "eq=a=b\r\n"
                                                "\tTabbed\t=\tv\t\r\n"
                                                "dup=first\r\n"
                                                "DUP=second\r\n"
                                                "not an entry\r\n"
                                                "[ spaced ]\n"
                                                "k=lf line\n"
                                                "[config]\n"
                                                "image=shadowed\n"
                                                "last=no newline");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        { "config", "image", "photo.jpg" },
        { "CONFIG", "IMAGE", "photo.jpg" },
        { "Config", "empty", "" },
        { "config", "quoted", "a b " },
        { "config", "single", "x" },
        { "config", "half", "\"open" },
        { "config", "eq", "a=b" },
        { "config", "tabbed", "v" },
        { "config", "dup", "first" },
        { "spaced", "k", "lf line" },
        { "config", "missing", "" },
        { "absent", "image", "" },
        { "config", "not an entry", "" },
        { "config", "; comment", "" },
        { "config", "last", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(file.read(c.section, c.key), c.value) << "[" << c.section << "] " << c.key;
    EXPECT_TRUE(file.hasKey("config", "EMPTY"));
    EXPECT_FALSE(file.hasKey("config", "not an entry"));
}

TEST(ProfileFile, SectionHasKeys)
{
    const ProfileFile file
        = ProfileFile::parse("[header only]\r\n\r\n; just a comment\r\n[one]\r\nk=\r\n[Two]\r\nx=1\r\n");
    EXPECT_FALSE(file.sectionHasKeys("header only"));
    EXPECT_FALSE(file.sectionHasKeys("absent"));
    EXPECT_TRUE(file.sectionHasKeys("one"));
    EXPECT_TRUE(file.sectionHasKeys("TWO"));
    EXPECT_FALSE(ProfileFile().sectionHasKeys("one"));
}

TEST(ProfileFile, LongValuesReadAs2047Bytes)
{
    const std::string value(3000, '7');
    ProfileFile file;
    file.write("s", "k", value);
    EXPECT_EQ(file.read("s", "k"), value.substr(0, 2047));
    EXPECT_EQ(ProfileFile::parse(file.serialise()).read("s", "k").size(), 2047u);
}

TEST(ProfileFile, UntouchedLinesAreKeptByteForByte)
{
    const std::string before = "; written elsewhere\r\n"
                               "\r\n"
                               "[Autre]\r\n"
                               "  Cl\xE9 =  valeur\t\r\n"
                               "garbage without equals\r\n"
                               "=no key\r\n"
                               "\r\n";
    const std::string secret = "[s]\r\nold=1\r\n\r\n; trailing comment\r\n";
    ProfileFile file = ProfileFile::parse(before + secret);
    EXPECT_TRUE(file.write("S", "new", "2"));
    EXPECT_TRUE(file.write("config", "image", "a.jpg"));
    EXPECT_EQ(file.serialise(),
        before + "[s]\r\nold=1\r\nnew=2\r\n\r\n; trailing comment\r\n[config]\r\nimage=a.jpg\r\n");
}

TEST(ProfileFile, LfFilesAreWrittenWithCrlf)
{
    ProfileFile file = ProfileFile::parse("[a]\nk=v\n[b]\nx=1");
    EXPECT_EQ(file.serialise(), "[a]\r\nk=v\r\n[b]\r\nx=1\r\n");
}

TEST(ProfileFile, WriteReplacesWithoutRegardToCase)
{
    ProfileFile file = ProfileFile::parse("[Config]\r\nImage=old.jpg\r\nother=1\r\n");
    EXPECT_TRUE(file.write("config", "image", "new.jpg"));
    EXPECT_EQ(file.read("CONFIG", "IMAGE"), "new.jpg");
    EXPECT_EQ(file.serialise(), "[Config]\r\nimage=new.jpg\r\nother=1\r\n");
    EXPECT_FALSE(file.write("config", "image", "new.jpg")) << "an unchanged value is no change";
    EXPECT_EQ(file.keys("config"), (std::vector<std::string> { "image", "other" }));
}

TEST(ProfileFile, WriteGoesToTheFirstOfDuplicateSectionsAndKeys)
{
    ProfileFile file = ProfileFile::parse("[s]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n");
    file.write("s", "k", "9");
    EXPECT_EQ(file.serialise(), "[s]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\n");
}

TEST(ProfileFile, ClearSectionRemovesItWholeAndNothingElse)
{
    ProfileFile file = ProfileFile::parse(
        "[config]\r\nimage=a\r\n[Secret]\r\nk=1\r\n\r\n[other]\r\nx=2\r\n[SECRET]\r\nk=2\r\n");
    EXPECT_TRUE(file.clearSection("secret"));
    EXPECT_FALSE(file.sectionHasKeys("secret"));
    EXPECT_EQ(file.read("secret", "k"), "");
    EXPECT_EQ(file.serialise(), "[config]\r\nimage=a\r\n[other]\r\nx=2\r\n");
    EXPECT_FALSE(file.clearSection("secret"));
    file.write("secret", "k", "3");
    EXPECT_EQ(file.read("secret", "k"), "3");
}

// Look-ups made in file order try the next line first; that must never
// find a later duplicate or a key of another section.
TEST(ProfileFile, LookUpsInFileOrderFindTheSameLines)
{
    ProfileFile file = ProfileFile::parse("[s]\r\na=1\r\nb=2\r\na=3\r\nc=4\r\n[t]\r\nc=5\r\nd=6\r\n");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } reads[] = {
        { "s", "a", "1" },
        { "s", "b", "2" },
        { "s", "a", "1" }, // the next line holds a duplicate
        { "s", "c", "4" },
        { "t", "c", "5" },
        { "s", "c", "4" },
        { "t", "D", "6" },
    };
    for (const auto& r : reads)
        EXPECT_EQ(file.read(r.section, r.key), r.value) << "[" << r.section << "] " << r.key;
    file.write("s", "b", "x");
    file.write("s", "a", "y");
    EXPECT_EQ(file.serialise(), "[s]\r\na=y\r\nb=x\r\na=3\r\nc=4\r\n[t]\r\nc=5\r\nd=6\r\n");

    ProfileFile made;
    for (const auto& [section, key, value] : { std::tuple { "s", "a", "1" }, { "t", "a", "2" },
             { "s", "b", "3" }, { "t", "b", "4" }, { "s", "a", "5" }, { "t", "b", "6" } })
        made.write(section, key, value);
    EXPECT_EQ(made.serialise(), "[s]\r\na=5\r\nb=3\r\n[t]\r\na=2\r\nb=6\r\n");
}

TEST(ProfileFile, SerialisedPiecesMakeTheWholeFile)
{
    ProfileFile file = ProfileFile::parse("; head\n[s]\n");
    for (int i = 0; i < 10000; ++i)
        file.write("s", "key" + std::to_string(i), std::string(50, char('a' + i % 26)));
    std::string out = "stale";
    std::string joined;
    int pieces = 0;
    file.serialise(out, [&](std::string_view piece) {
        EXPECT_FALSE(piece.empty());
        joined.append(piece);
        ++pieces;
    });
    EXPECT_EQ(out, file.serialise());
    EXPECT_EQ(joined, out);
    EXPECT_GT(pieces, 1);
}

// A line is written as "key=value"; some pairs would read back otherwise.
TEST(ProfileFile, WritesThatReadBackOtherwiseAreNoticed)
{
    const struct {
        const char* key;
        const char* value;
        bool readsBack;
    } cases[] = {
        { "k", "v", true },
        { "k", "", true },
        { "k", "a=b", true },
        { "k", "in side", true },
        { "k", "\"quoted\"", true },
        { "k", "\rinside", true },
        { "k", " v", false },
        { "k", "v\t", false },
        { "k", "v\r", false },
        { "k", "a\nb=c", false },
        { "a=b", "v", false },
        { ";k", "v", false },
        { "[k]", "v", false },
        { "k\nj", "v", false },
    };
    for (const auto& c : cases) {
        ProfileFile file;
        file.write("s", c.key, c.value);
        EXPECT_EQ(file.readsBackAsWritten(), c.readsBack) << c.key << "=" << c.value;
        if (c.readsBack) {
            EXPECT_EQ(ProfileFile::parse(file.serialise()).read("s", c.key), file.read("s", c.key));
        }
    }
    ProfileFile section;
    section.write("a\nb", "k", "v");
    EXPECT_FALSE(section.readsBackAsWritten());
}

TEST(ProfileFile, ManyKeysStayFoundAfterEdits)
{
    ProfileFile file;
    for (int i = 0; i < 5000; ++i)
        file.write("s", "key" + std::to_string(i), std::to_string(i));
    ProfileFile again = ProfileFile::parse(file.serialise());
    for (int i = 0; i < 5000; i += 7)
        again.write("S", "KEY" + std::to_string(i), "x");
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(again.read("s", "key" + std::to_string(i)), i % 7 == 0 ? "x" : std::to_string(i)) << i;
    EXPECT_EQ(again.keys("s").size(), 5000u);
}

} // namespace
