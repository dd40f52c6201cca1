// The kept console in the hive: what a start restores, what a save writes, and that nothing
// the user had is lost to a failing hive or to two copies ending at once.
#include "ConsoleStore.h"
#include "HiveFixture.h"
#include "RegistryString.h"
#include "Transcript.h"

#include <string>
#include <tuple>

namespace
{

using ConsoleStoreTest = CHiveTest;

constexpr const char* kKey = "Software\\Lumdrak";

// Each row: the values stored before the start, then what the start restores.
TEST_F(ConsoleStoreTest, AStartRestoresTheKeptTranscriptBounded)
{
    const std::string strLong = "old\r\n" + Lines(kTranscriptMaxLines, 'x');
    const std::tuple<const char*, const char*, const char*, std::string> rows[] = {
        // row, KeepConsole (nullptr: none), Console (nullptr: none), restored
        {"first run", nullptr, nullptr, ""},
        {"kept", nullptr, "?1\r\n1", "?1\r\n1"},
        {"kept, chosen", "1", "?1\r\n1", "?1\r\n1"},
        {"not kept", "0", "?1\r\n1", ""},
        {"erased", nullptr, "", ""},
        {"prompt left by another program", nullptr, "?1\r\n1\r\n?", "?1\r\n1"},
        {"too long", nullptr, strLong.c_str(), strLong.substr(5)},
    };
    for (const auto& [pszRow, pszKeep, pszConsole, strRestored] : rows)
    {
        fs::remove_all(Folder());
        ASSERT_TRUE(!pszKeep || Store(kKey, "KeepConsole", REG_SZ, pszKeep) == ERROR_SUCCESS);
        ASSERT_TRUE(!pszConsole || Store(kKey, "Console", REG_SZ, pszConsole) == ERROR_SUCCESS);
        CConsoleStore store;
        EXPECT_TRUE(TranscriptOf(store.Restored()) == strRestored) << pszRow;
        EXPECT_TRUE(store.CanSave()) << pszRow;
        EXPECT_EQ(CConsoleStore::IsKept(), !pszKeep || std::string(pszKeep) != "0") << pszRow;
    }
}

TEST_F(ConsoleStoreTest, SavesWriteTheBoundedTranscriptOnlyWhenItChanged)
{
    CConsoleStore store;
    EXPECT_TRUE(store.Save(TranscriptOf("?1\r\n1\r\n?")));
    EXPECT_EQ(StoredTranscript(), "?1\r\n1");
    std::string strBefore = LastWrite();
    EXPECT_TRUE(store.Save(TranscriptOf("?1\r\n1\r\n?")));
    EXPECT_EQ(LastWrite(), strBefore) << "unchanged: nothing written";
    EXPECT_TRUE(store.Save(TranscriptOf("?1\r\n1\r\n?2")));
    EXPECT_EQ(StoredTranscript(), "?1\r\n1\r\n?2");
    EXPECT_TRUE(store.Save(TranscriptOf(""))); // Alt+E
    EXPECT_EQ(StoredTranscript(), "");
    EXPECT_EQ(CConsoleStore().Restored(), "") << "after an erase a start looks like the first";

    // Turning the choice off deletes the transcript at once; saves then write nothing.
    store.SetKept(false);
    EXPECT_EQ(StoredTranscript(), "-");
    EXPECT_EQ(Sql("SELECT name, data FROM vals WHERE key = 'Software\\Lumdrak'"),
              "KeepConsole|0\n");
    strBefore = LastWrite();
    EXPECT_FALSE(store.Save(TranscriptOf("?7")));
    EXPECT_EQ(LastWrite(), strBefore);
    store.SetKept(true);
    EXPECT_TRUE(store.Save(TranscriptOf("?7")));
    EXPECT_EQ(StoredTranscript(), "?7");

    // Another copy turns it off: this one stops saving.
    CConsoleStore().SetKept(false);
    EXPECT_FALSE(store.Save(TranscriptOf("?8")));
    EXPECT_EQ(StoredTranscript(), "-");
}

// A hive that cannot be read at start (here a foreign one; any read error is the same to the
// store) may hold the user's transcript: that run restores nothing and stores nothing, even
// once the hive can be read again.
TEST_F(ConsoleStoreTest, AStartThatCannotReadTheHiveNeverWritesIt)
{
    ASSERT_EQ(Store(kKey, "Console", REG_SZ, "?1\r\n1"), ERROR_SUCCESS);
    const std::string strHive = Bytes(HivePath());
    Sql("PRAGMA application_id = 7");
    const std::string strDamaged = Bytes(HivePath());

    CConsoleStore store;
    EXPECT_EQ(TranscriptOf(store.Restored()), "");
    EXPECT_FALSE(store.CanSave());
    EXPECT_FALSE(store.Save(TranscriptOf("?2\r\n2")));
    EXPECT_TRUE(Bytes(HivePath()) == strDamaged);

    std::ofstream(HivePath(), std::ios::trunc | std::ios::binary) << strHive;
    EXPECT_FALSE(store.Save(TranscriptOf("?3\r\n3")));
    EXPECT_EQ(StoredTranscript(), "?1\r\n1");
}

// A save whose transaction fails half-way (here a trigger, standing for a full disk) leaves
// the transcript stored before it whole, and the next save tries again.
TEST_F(ConsoleStoreTest, ASaveThatFailsInItsTransactionLeavesTheOldTranscriptWhole)
{
    const std::string strOld = Lines(kTranscriptMaxLines, 'o').substr(0, kTranscriptMaxBytes);
    const std::string strNew = Lines(kTranscriptMaxLines, 'n').substr(0, kTranscriptMaxBytes);
    CConsoleStore store;
    ASSERT_TRUE(store.Save(TranscriptOf(strOld)));
    const std::string strKept = TranscriptOf(strOld);
    ASSERT_EQ(StoredTranscript(), strKept);
    ASSERT_EQ(Sql("CREATE TRIGGER full AFTER UPDATE ON vals BEGIN SELECT RAISE(ABORT, 'full');"
                  " END"),
              "");
    EXPECT_FALSE(store.Save(TranscriptOf(strNew)));
    EXPECT_TRUE(StoredTranscript() == strKept);
    EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
    Sql("DROP TRIGGER full");
    EXPECT_TRUE(store.Save(TranscriptOf(strNew)));
    EXPECT_TRUE(StoredTranscript() == TranscriptOf(strNew));
}

} // namespace
