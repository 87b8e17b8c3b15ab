#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "filetestutil.h"
#include "tempdir.h"
#include "vaultsessions.h"

namespace {

constexpr const char* kBytes = "[s]\r\nk=1\r\n";

class VaultSessionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sessions.forgetKept();
        ASSERT_TRUE(writeBytes(path, kBytes));
    }
    void TearDown() override { sessions.forgetKept(); }

    // A session as the outermost handler makes it after reading the file.
    std::shared_ptr<VaultSession> read(const QString& file) const
    {
        auto session = std::make_shared<VaultSession>();
        session->key = VaultSessions::keyFor(file);
        session->content = ProfileFile::parse(readBytes(file));
        session->onDisk = OnDisk::Source;
        return session;
    }

    VaultSessions& sessions = VaultSessions::instance();
    TestFolder dir;
    QString path = dir.file("kaldrino.ini");
    QString key = VaultSessions::keyFor(path);
};

// Only content that is what parsing the file gives may serve the next
// handler; content another handler still uses stays with it.
TEST_F(VaultSessionsTest, ContentIsKeptOnlyWhenItStandsForTheFile)
{
    const struct {
        const char* name;
        std::function<void(VaultSession&)> change;
        bool stillHeld;
        bool kept;
    } cases[] = {
        { "read whole", [](VaultSession&) {}, false, true },
        { "written whole",
            [](VaultSession& s) {
                s.content.write("s", "k", "1");
                s.written = s.content.serialise();
                s.onDisk = OnDisk::Written;
            },
            false, true },
        { "unsaved changes", [](VaultSession& s) { s.dirty = true; }, false, false },
        { "unreadable file", [](VaultSession& s) { s.unreadable = true; }, false, false },
        { "failed write", [](VaultSession& s) { s.onDisk = OnDisk::Unknown; }, false, false },
        { "reads back otherwise", [](VaultSession& s) { s.content.write("s", "j", " v"); }, false, false },
        { "still held by another handler", [](VaultSession&) {}, true, false },
    };
    for (const auto& c : cases) {
        sessions.forgetKept();
        auto session = read(path);
        c.change(*session);
        sessions.open(session);
        ASSERT_EQ(sessions.find(key), session) << c.name;
        std::shared_ptr<VaultSession> holder = c.stillHeld ? session : nullptr;
        sessions.close(session);
        session.reset();
        EXPECT_EQ(sessions.find(key), nullptr) << c.name;
        VaultSession next;
        EXPECT_EQ(sessions.takeKept(key, path, next), c.kept) << c.name;
        if (c.kept) {
            EXPECT_EQ(next.content.read("s", "k"), "1") << c.name;
        }
        if (holder) {
            EXPECT_EQ(holder->content.read("s", "k"), "1") << c.name;
        }
    }
}

TEST_F(VaultSessionsTest, KeptContentServesItsFileOnceWhileItHoldsTheSameBytes)
{
    const QString other = dir.file("other.ini");
    ASSERT_TRUE(writeBytes(other, kBytes));
    const struct {
        const char* name;
        std::function<void()> change;
        bool taken;
    } cases[] = {
        { "same bytes", [] {}, true },
        { "one byte changed", [&] { writeBytes(path, "[s]\r\nk=2\r\n"); }, false },
        { "removed", [&] { QFile::remove(path); }, false },
        { "forgotten", [&] { sessions.forgetKept(); }, false },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeBytes(path, kBytes));
        sessions.forgetKept();
        auto session = read(path);
        sessions.open(session);
        sessions.close(session);
        c.change();

        VaultSession next;
        // Another file with the same bytes never takes it, nor uses it up.
        EXPECT_FALSE(sessions.takeKept(VaultSessions::keyFor(other), other, next)) << c.name;
        EXPECT_EQ(sessions.takeKept(key, path, next), c.taken) << c.name;
        if (c.taken) {
            EXPECT_EQ(next.key, key) << c.name;
        }
        EXPECT_FALSE(sessions.takeKept(key, path, next)) << c.name << ", taken twice";
    }
}

TEST_F(VaultSessionsTest, OneSessionPerFileHoweverItsPathIsWritten)
{
    auto session = read(path);
    sessions.open(session);
    EXPECT_EQ(sessions.find(VaultSessions::keyFor(dir.path() + "./sub/../kaldrino.ini")), session);
    EXPECT_EQ(sessions.find(VaultSessions::keyFor(dir.file("other.ini"))), nullptr);
    sessions.close(session);
    EXPECT_EQ(sessions.find(key), nullptr);
}

} // namespace
