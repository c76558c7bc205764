#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "engine/CId3Writer.h"
#include "engine/GenreNames.h"

namespace fs = std::filesystem;
using tonalbox::CId3Writer;
using tonalbox::TagRecord;

namespace {

using Bytes = std::vector<unsigned char>;

class Id3WriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tmp_.Path().empty()); }

    void Make(const Bytes& content) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size()));
    }
    Bytes Read() {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // The last 128 bytes of the file.
    Bytes Block() {
        Bytes b = Read();
        return b.size() < 128 ? Bytes() : Bytes(b.end() - 128, b.end());
    }
    static std::string Field(const Bytes& block, size_t at, size_t len) {
        return std::string(block.begin() + static_cast<long>(at),
                           block.begin() + static_cast<long>(at + len));
    }

    tonalbox::testsupport::TempDir tmp_{"id3-test"};
    fs::path dir_{tmp_.Path()};
    std::string path_{tmp_.File("song.mp3")};
};

Bytes FakeMp3(size_t size) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<unsigned char>(0x40 + i % 50);
    return b;
}

TEST_F(Id3WriterTest, AppendsOnceThenReplacesInPlace) {
    const Bytes audio = FakeMp3(5000);
    Make(audio);
    TagRecord tag;
    tag.m_strTitle = "Nocturne";
    tag.m_strArtist = "Someone";
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    Bytes after = Read();
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), after.begin()));

    tag.m_strTitle = "Second";
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    after = Read();
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), after.begin()));
    EXPECT_EQ(Field(Block(), 3, 6), "Second");
    EXPECT_EQ(Field(Block(), 0, 3), "TAG");
}

TEST_F(Id3WriterTest, FieldsAreTruncatedAndZeroPadded) {
    Make(FakeMp3(1000));
    TagRecord tag;
    tag.m_strTitle = std::string(35, 'T');         // 30 bytes, no terminator
    tag.m_strArtist = "Nocturne";                  // 8 bytes + 22 zeros
    tag.m_strAlbum = std::string(29, 'A');
    tag.m_strYear = "06";                          // 0x30 0x36 0 0
    tag.m_strComment = std::string(30, 'C');       // 28 bytes, then 0 at 125
    tag.m_nTrack = 300;                            // 44
    tag.m_nGenre = 147;                            // Synthpop
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    const Bytes b = Block();
    ASSERT_EQ(b.size(), 128u);
    EXPECT_EQ(Field(b, 3, 30), std::string(30, 'T'));
    EXPECT_EQ(Field(b, 33, 8), "Nocturne");
    EXPECT_EQ(Field(b, 41, 22), std::string(22, '\0'));
    EXPECT_EQ(Field(b, 63, 30), std::string(29, 'A') + '\0');
    EXPECT_EQ(Field(b, 93, 4), std::string("06\0\0", 4));
    EXPECT_EQ(Field(b, 97, 28), std::string(28, 'C'));
    EXPECT_EQ(b[125], 0);
    EXPECT_EQ(b[126], 44);
    EXPECT_EQ(b[127], 147);
    EXPECT_STREQ(tonalbox::GenreNames[147], "Synthpop");
    EXPECT_STREQ(tonalbox::GenreNames[0], "Blues");
    EXPECT_STREQ(tonalbox::GenreNames[79], "Hard Rock");
    EXPECT_STREQ(tonalbox::GenreNames[80], "Folk");
}

TEST(Id3WriterBlock, TextsAreWrittenAsIso88591WithoutSplittingACharacter) {
    struct Case {
        std::string utf8;
        std::string written;  // the title field up to its first zero
    };
    const std::string e = "\xc3\xa9";  // U+00E9, one ISO-8859-1 byte
    for (const Case& c : std::initializer_list<Case>{
             {"F\xc3\xbcr Elise", "F\xfcr Elise"},
             {"\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\xb9", "?? ?"},  // CJK, emoji
             {"\xc5\x81\xc3\xb3" "d\xc5\xba", "?\xf3" "d?"},  // beyond Latin-1
             {"caf\xe9", "caf\xe9"},                                  // already ISO-8859-1
             {"\xc1\x81", "\xc1\x81"},                                // overlong: kept as bytes
             {[&] { std::string t; for (int i = 0; i < 31; ++i) t += e; return t; }(),
              std::string(30, '\xe9')}}) {
        TagRecord tag;
        tag.m_strTitle = c.utf8;
        unsigned char block[CId3Writer::kTagSize];
        CId3Writer::BuildBlock(tag, block);
        const std::string field(reinterpret_cast<const char*>(block + 3), 30);
        EXPECT_EQ(field.substr(0, field.find('\0')), c.written) << c.utf8;
    }
}

TEST_F(Id3WriterTest, EmptyArtistBecomesTheFileName) {
    Make(FakeMp3(300));
    TagRecord tag;
    tag.m_nTrack = 0;
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    EXPECT_EQ(tag.m_strArtist, "song.mp3");
    const Bytes b = Block();
    EXPECT_EQ(Field(b, 33, 9), std::string("song.mp3\0", 9));
    EXPECT_EQ(b[126], 0);
}

TEST_F(Id3WriterTest, LowerCaseTagIsReplacedButTagAfterAZeroIsNot) {
    Bytes content = FakeMp3(400);
    std::memcpy(&content[400 - 128], "tag", 3);
    Make(content);
    TagRecord tag;
    tag.m_strArtist = "a";
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    EXPECT_EQ(Read().size(), 400u);
    EXPECT_EQ(Field(Block(), 0, 3), "TAG");

    // "TA\0G..." is not a tag: the first zero ends the comparison.
    content = FakeMp3(400);
    std::memcpy(&content[400 - 128], "TA\0G", 4);
    Make(content);
    ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
    EXPECT_EQ(Read().size(), 528u);
}

TEST_F(Id3WriterTest, ShortFilesGetTheBlockAppended) {
    for (size_t size : {size_t{0}, size_t{3}, size_t{127}}) {
        Bytes content = FakeMp3(size);
        if (size >= 3) std::memcpy(content.data(), "TAG", 3);
        Make(content);
        TagRecord tag;
        tag.m_strArtist = "x";
        ASSERT_EQ(CId3Writer().WriteTag(path_, tag), 1);
        const Bytes after = Read();
        ASSERT_EQ(after.size(), size + 128) << size;
        EXPECT_TRUE(std::equal(content.begin(), content.end(), after.begin()));
    }
}

TEST_F(Id3WriterTest, MissingOrUnopenableFilesAreNotCreated) {
    TagRecord tag;
    EXPECT_EQ(CId3Writer().WriteTag((dir_ / "none.mp3").string(), tag), 0);
    EXPECT_FALSE(fs::exists(dir_ / "none.mp3"));
    EXPECT_EQ(CId3Writer().WriteTag(dir_.string(), tag), 0);
    EXPECT_TRUE(tag.m_strArtist.empty());  // nothing happened to the record
}

TEST_F(Id3WriterTest, AWriteFailureReturnsZero) {
    // A file-size limit at the current length makes the append fail (as a
    // full disk would); run it in a child so the limit stays there.
    Make(FakeMp3(1000));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TagRecord tag;
        tag.m_strArtist = "x";
        ::_exit(CId3Writer().WriteTag(path_, tag) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read().size(), 1000u);
}

}  // namespace
