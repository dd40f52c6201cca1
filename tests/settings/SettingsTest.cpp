#include "Settings.h"
#include "ConsoleStore.h"
#include "FaultVfs.h"
#include "HiveFixture.h"
#include "RegistryString.h"
#include "Transcript.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// m_bUnsigned, m_bEndPos, m_nCastMode, m_nOutputMode, m_nEditMode: code positions 0 to 4.
using Members = std::tuple<int, int, int, int, int>;
constexpr Members kStartValues = {0, 1, 0, 2, 1}; // what the window sets before the load
constexpr Members kAB310 = {0, 1, 3, 1, 0};
constexpr Members kBB021 = {1, 1, 0, 2, 1};

Members Persist(const Members& members, bool bSave)
{
    SSettings state;
    auto Tie = [&state]
    {
        return std::tie(state.m_bUnsigned, state.m_bEndPos, state.m_nCastMode, state.m_nOutputMode,
                        state.m_nEditMode);
    };
    Tie() = members;
    PersistSettings(state, bSave);
    return Tie();
}

// Files the program must neither trust nor touch, made where the hive belongs.
struct CHostileHive
{
    const char* pName;
    void (*pfnMake)();
    bool bNeedsNonRoot;     // made of permission bits, which do not stop root
    bool bFromHive = false; // made from a hive of ours
    bool bNoHive = false;   // reads find no hive (and the load cannot store "BB021" either)
};

// The rows of the parameterised tables here are named and printed by their pName.
// clang-format off
template <typename TRow>
requires requires(TRow row) { row.pName; }
void PrintTo(const TRow& row, std::ostream* pOut) { *pOut << row.pName; }
// clang-format on
constexpr auto kRowName = [](const auto& info) { return std::string(info.param.pName); };

template <typename TRow>
class CHiveRowTest : public CHiveTest, public ::testing::WithParamInterface<TRow>
{
};

using RegistryTest = CHiveTest;
using SettingsTest = CHiveTest;
using SettingsHostileHiveTest = CHiveRowTest<CHostileHive>;

TEST_F(RegistryTest, FirstWriteMakesAPrivateHiveInXdgConfigHomeElseInHomeConfig)
{
    const std::string strHome = m_strRoot + "/home/.config";
    const std::tuple<std::string, std::string, mode_t> rows[] = {
        // XDG_CONFIG_HOME ("unset": not set at all), the folder that gets the hive, umask
        {m_strRoot + "/xdg", m_strRoot + "/xdg", 0277},
        {"", strHome, 0},
        {"relative", strHome, 0277},
        {"unset", strHome, 0}};
    setenv("HOME", (m_strRoot + "/home").c_str(), 1);
    for (const auto& [strXdg, strConfig, nMask] : rows)
    {
        strXdg == "unset" ? unsetenv("XDG_CONFIG_HOME")
                          : setenv("XDG_CONFIG_HOME", strXdg.c_str(), 1);
        fs::remove_all(m_strRoot + "/home");
        const mode_t nOldMask = umask(nMask);
        EXPECT_EQ(Store("Software", "v", REG_SZ, "x"), ERROR_SUCCESS);
        umask(nOldMask);
        const std::string strFolder = strConfig + "/lumdrak";
        EXPECT_EQ(fs::status(strFolder).permissions(), fs::perms::owner_all) << strXdg;
        EXPECT_EQ(fs::status(strFolder + "/registry.sqlite3").permissions(),
                  fs::perms::owner_read | fs::perms::owner_write)
            << strXdg;
        EXPECT_EQ(std::distance(fs::directory_iterator(strFolder), {}), 1) << "temporary left";
    }
}

TEST_F(RegistryTest, StringSplitsItsPathAndFindsKeysAndNamesIgnoringAsciiCase)
{
    ASSERT_EQ(Store("Software\\Lumdrak\\Save", "SaveKey", REG_SZ, "one"), ERROR_SUCCESS);
    ASSERT_EQ(Store("software\\LUMDRAK\\save", "SAVEKEY", REG_SZ, "two"), ERROR_SUCCESS);
    const auto* pLatin = reinterpret_cast<const BYTE*>("latin"); // the root works as a key, too
    ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "\xC4", 0, REG_BINARY, pLatin, 5), ERROR_SUCCESS);
    const std::tuple<const char*, const char*, const char*> rows[] = {
        // path, key path '|' value name, text read ("-": the default, nothing found)
        {"Software\\Lumdrak\\Save\\SaveKey", "Software\\Lumdrak\\Save|SaveKey", "two"},
        {"\\SOFTWARE\\\\lumdrak\\Save\\\\savekey", "SOFTWARE\\\\lumdrak\\Save|savekey", "two"},
        {"\\\\\\Software\\Lumdrak\\Save\\", "Software\\Lumdrak\\Save|", "-"}, // the unnamed value
        {"Software\\Lumdrak\\SaveKey", "Software\\Lumdrak|SaveKey", "-"},     // the parent, empty
        {"Software\\Lumdrak\\Sav\\SaveKey", "Software\\Lumdrak\\Sav|SaveKey", "-"},
        {"Trailing\\Run\\\\\\", "Trailing\\Run|", "-"},
        {" Blank \\ name ", " Blank | name ", "-"},
        {"\xC4", "|\xC4", "latin"},
        {"\xE4", "|\xE4", "-"}, // no case folding beyond ASCII
        {"\\", "|", "-"},
    };
    for (const auto& [pPath, pSplit, pRead] : rows)
    {
        CRegistryString value(pPath, "-", false, HKEY_CURRENT_USER);
        EXPECT_EQ(value.KeyPath() + '|' + value.ValueName(), pSplit);
        EXPECT_EQ(value.GetValue(), pRead) << pPath;
    }
    EXPECT_EQ(Sql("SELECT key, name, type, data FROM vals ORDER BY key"),
              "|\xC4|3|latin\nSoftware\\Lumdrak\\Save|SaveKey|1|two\n");
    EXPECT_EQ(Sql("SELECT path FROM keys ORDER BY path"),
              "\nSoftware\nSoftware\\Lumdrak\nSoftware\\Lumdrak\\Save\n");
    BYTE shortBuffer[4];
    DWORD nSize = sizeof shortBuffer; // one byte short: fails and tells the size needed
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "\xC4", nullptr, nullptr, shortBuffer, &nSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nSize, 5u);
}

// A read object answers from memory afterwards; an unread one reads the registry again.
TEST_F(RegistryTest, StringReadsAnyTypeUpToItsFirstNulOrGivesTheDefault)
{
    const std::tuple<const char*, const char*, DWORD, std::string, const char*> rows[] = {
        // stored first (key nullptr: nothing): key, name, type, data; then the text read
        {nullptr, "", REG_SZ, "", "default"},
        {"Elsewhere", "v", REG_SZ, "x", "default"}, // missing key
        {"K", "w", REG_SZ, "x", "default"},         // missing value
        {"K", "v", REG_SZ, std::string("BB021", 6), "BB021"},
        {"K", "v", REG_SZ, std::string("AB\0CD", 6), "AB"},
        {"K", "v", REG_SZ, std::string(1, '\0'), ""},
        {"K", "v", REG_SZ, "", ""},
        {"K", "v", REG_BINARY, "whole", "whole"},
        {"K", "v", REG_DWORD, std::string("12\0\0", 4), "12"},
        {"K", "v", REG_DWORD, "1234", "1234"},
    };
    for (const auto& [pKey, pName, nType, strData, pExpected] : rows)
    {
        fs::remove_all(Folder());
        ASSERT_TRUE(!pKey || Store(pKey, pName, nType, strData) == ERROR_SUCCESS);
        CRegistryString value("K\\v", "default", false, HKEY_CURRENT_USER);
        const bool bRead = std::string(pExpected) != "default";
        EXPECT_EQ(value.IsValid(), bRead) << pExpected;
        EXPECT_FALSE(value.HasReadError()) << "missing is not an error";
        EXPECT_EQ(value.GetValue(), pExpected);
        ASSERT_EQ(Store("K", "v", REG_SZ, std::string("later", 6)), ERROR_SUCCESS);
        EXPECT_EQ(value.GetValue(), bRead ? pExpected : "later");
        EXPECT_TRUE(value.IsValid());
    }
}

TEST_F(RegistryTest, StringWritesOnlyChangedTextDeletesAndTellsFailedWrites)
{
    CRegistryString value("A\\B\\v", "default", false, HKEY_CURRENT_USER);
    value.SetValue("").SetValue(std::string("\0x", 2));
    EXPECT_TRUE(value.DeleteValue()) << "nothing there is nothing to delete";
    EXPECT_FALSE(fs::exists(Folder())) << "reads, unchanged empty texts and deletes create nothing";
    EXPECT_FALSE(value.IsValid());
    EXPECT_FALSE(value.HasWriteError());

    value.SetValue("x");
    EXPECT_TRUE(value.IsValid());
    EXPECT_EQ(Sql("SELECT key, name, type, hex(data) FROM vals"), "A\\B|v|1|7800\n");
    std::string strBefore = LastWrite();
    value.SetValue("x").SetValue(std::string("x\0y", 3));
    EXPECT_EQ(LastWrite(), strBefore);
    value.SetValue("X");
    EXPECT_EQ(Sql("SELECT hex(data) FROM vals"), "5800\n");

    CRegistryString uncached("A\\B\\v", "", true, HKEY_CURRENT_USER);
    ASSERT_EQ(Store("A\\B", "v", REG_SZ, std::string("new", 4)), ERROR_SUCCESS);
    EXPECT_EQ(uncached.GetValue(), "new");
    strBefore = LastWrite();
    uncached.SetValue("new");
    EXPECT_NE(LastWrite(), strBefore);

    ASSERT_EQ(Store("A\\B", "w", REG_SZ, std::string("other", 6)), ERROR_SUCCESS);
    EXPECT_TRUE(value.DeleteValue());
    EXPECT_FALSE(value.IsValid());
    EXPECT_EQ(value.GetValue(), "default");
    EXPECT_EQ(Sql("SELECT key, name FROM vals"), "A\\B|w\n") << "its key and other value stay";
    EXPECT_EQ(RegDeleteValueA(HKEY_CURRENT_USER, "nothing"), ERROR_FILE_NOT_FOUND);
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B", 0, KEY_READ, &hKey), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(hKey, "w"), ERROR_ACCESS_DENIED);
    RegCloseKey(hKey);

    Sql("PRAGMA application_id = 7"); // no longer a hive of ours: every write fails
    value.SetValue("new");
    EXPECT_TRUE(value.HasWriteError());
    EXPECT_FALSE(value.DeleteValue());
    Sql("PRAGMA application_id = 1282229362");
    value.SetValue("newer");
    EXPECT_FALSE(value.HasWriteError());
    EXPECT_EQ(value.GetValue(), "newer");
}

TEST_F(RegistryTest, StringLeavesNoKeyOpenOnAnyPath)
{
    const auto OpenDescriptors = []
    { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
    const auto nBefore = OpenDescriptors();
    for (const char* pPath : {"Missing\\v", "K\\missing", "K\\v"})
    {
        CRegistryString(pPath, "", false, HKEY_CURRENT_USER).SetValue("x").GetValue();
        ASSERT_EQ(Store("K", "v", REG_SZ, "y"), ERROR_SUCCESS);
    }
    std::ofstream(HivePath(), std::ios::trunc) << "garbage";
    CRegistryString("K\\v", "", true, HKEY_CURRENT_USER).SetValue("z").GetValue();
    EXPECT_EQ(OpenDescriptors(), nBefore);
}

// A load starts from the values the window sets and stores "BB021" for a missing or empty code.
TEST_F(SettingsTest, LoadDecodesAndSaveEncodesEachPositionWritingOnlyAChangedCode)
{
    const std::tuple<const char*, bool, Members, const char*> rows[] = {
        // code stored (nullptr: none), saved, members loaded or saved, code stored then
        {nullptr, false, {1, 1, 0, 2, 1}, "BB021"}, // first run
        {"", false, {1, 1, 0, 2, 1}, "BB021"},
        {"A", false, {0, 1, 0, 2, 1}, "A"},
        {"BA3", false, {1, 0, 3, 2, 1}, "BA3"},
        {"AA3100trailing", false, {0, 0, 3, 1, 0}, "AA3100trailing"},
        {"9AB0A", false, {9, 0, 1, 0, 0}, "9AB0A"}, // any valid character at any position
        {"b?x/Z", false, {0, 1, 0, 2, 1}, "b?x/Z"}, // nothing decodes: the start values stay
        {"BB3/0", false, {1, 1, 3, 2, 0}, "BB3/0"}, // as saved with no output radio checked
        {"BB921", false, {1, 1, 9, 2, 1}, "BB921"}, // beyond the radio group, loaded as it is
        {"AA1\t0", false, {0, 0, 1, 2, 0}, "AA1\t0"},
        {"BB021", true, {1, 1, 0, 1, 1}, "BB011"}, // DEZ to HEX: only position 3 changes
        {"BB021", true, {1, 1, 0, 2, 1}, "BB021"},
        {"9AB0Ax", true, {9, 0, 1, 0, 0}, "JA100x"}, // as loaded from "9AB0A"
        {"AB", true, {1, 1, 0, 2, 1}, "BB021"},
        {"AAAAA+rest", true, {0, 1, 3, 0, 0}, "AB300+rest"},
        {nullptr, true, {1, 0, 2, 1, 0}, "BA210"},
        {"BB021", true, {1, 1, -1, 2, -1}, "BB/2/"},  // no radio button checked
        {"BB021", true, {-1, 257, 0, 2, 1}, "@B021"}, // only the low byte counts
    };
    for (const auto& [pStored, bSave, members, pStoredAfter] : rows)
    {
        fs::remove_all(Folder());
        ASSERT_TRUE(!pStored || Store("Software\\Lumdrak\\Save", "SaveKey", REG_SZ,
                                      std::string(pStored) + '\0') == ERROR_SUCCESS);
        const std::string strBefore = LastWrite();
        EXPECT_EQ(Persist(bSave ? members : kStartValues, bSave), members) << pStoredAfter;
        // REG_SZ with its NUL, written only when it changed
        EXPECT_EQ(Sql("SELECT type, data, length(data) FROM vals WHERE name = 'SaveKey'"),
                  "1|" + std::string(pStoredAfter) + '|' +
                      std::to_string(std::strlen(pStoredAfter) + 1) + '\n');
        EXPECT_EQ(LastWrite() != strBefore, !pStored || std::string(pStored) != pStoredAfter);
    }
}

// Two copies save at once, from no hive (making it is the riskiest moment), a few times: each
// its settings code and the largest transcript over and over, and a probe value that only it
// writes, so that a lost write or a failed read shows. One whole code and one whole
// transcript stay.
TEST_F(SettingsTest, TwoCopiesSavingAtOnceLeaveOneWholeCodeAndTranscriptAndLoseNoSave)
{
    const std::string arrTexts[2] = {Lines(kTranscriptMaxLines, 'a'),
                                     Lines(kTranscriptMaxLines, 'b')};
    for (int nRound = 0; nRound < 5; ++nRound)
    {
        fs::remove_all(Folder());
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        pid_t children[2];
        for (int nChild = 0; nChild < 2; ++nChild)
        {
            if ((children[nChild] = fork()) != 0) continue;
            close(gate[1]);
            CConsoleStore store;
            CRegistryString probe("Software\\Probe\\" + std::to_string(nChild), "", true,
                                  HKEY_CURRENT_USER);
            std::string strLast; // what the probe holds; "" while it is missing
            char chByte;
            if (read(gate[0], &chByte, 1) != 0) _exit(10); // both start as the gate closes
            for (int nSave = 0; nSave < 60; ++nSave)
            {
                if (probe.GetValue() != strLast) _exit(1);
                probe.SetValue(strLast = std::to_string(nSave));
                Persist(nChild ? Members{1, 0, 2, 1, 1} : Members{0, 1, 3, 0, 0}, true);
                if (nSave >= 57 && !store.Save(TranscriptOf(arrTexts[nChild] + strLast))) _exit(1);
            }
            _exit(probe.GetValue() == strLast ? 0 : 1);
        }
        close(gate[0]);
        close(gate[1]);
        for (const pid_t nChild : children)
        {
            int nStatus = -1;
            waitpid(nChild, &nStatus, 0);
            EXPECT_EQ(nStatus, 0) << "a copy failed to save or to read back";
        }
        EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
        const std::string strCode =
            CRegistryString("Software\\Lumdrak\\Save\\SaveKey", "", false, HKEY_CURRENT_USER)
                .GetValue();
        EXPECT_TRUE(strCode == "AB300" || strCode == "BA211") << strCode;
        const std::string strStored = StoredTranscript();
        EXPECT_TRUE(strStored == TranscriptOf(arrTexts[0] + "59") ||
                    strStored == TranscriptOf(arrTexts[1] + "59"))
            << strStored.size() << " bytes, beginning " << strStored.substr(0, 8);
    }
}

// An empty file where the hive belongs (`: > file`, or a crash while one was made) is a first
// run: the default code is stored at once, the console is kept, and the file becomes private.
TEST_F(SettingsTest, AnEmptyHiveFileIsAFirstRun)
{
    fs::create_directory(Folder());
    std::ofstream{HivePath()};
    chmod(HivePath().c_str(), 0644);
    EXPECT_EQ(Persist(kStartValues, false), kBB021);
    SSettings state;
    EXPECT_TRUE(PersistSettings(state, false)) << "no read error";
    CRegistryString code("Software\\Lumdrak\\Save\\SaveKey", "-", true, HKEY_CURRENT_USER);
    EXPECT_EQ(code.GetValue(), "BB021");
    Persist(kAB310, true);
    EXPECT_EQ(code.GetValue(), "AB310");
    CConsoleStore store;
    EXPECT_TRUE(store.CanSave());
    EXPECT_TRUE(store.Save(TranscriptOf("?1+1\r\n2\r\n?")));
    EXPECT_EQ(StoredTranscript(), "?1+1\r\n2");
    EXPECT_EQ(fs::status(HivePath()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
}

// A reader beside a running window finds the code and changes nothing: it makes no folder or
// hive, stores no default, takes no mode bits away and rolls back no journal.
TEST_F(SettingsTest, ReadOnlyLoadFindsTheCodeAndChangesNothing)
{
    EXPECT_EQ(ReadSettingsCode(), "BB021");
    EXPECT_FALSE(fs::exists(Folder())) << "no folder made";

    const auto FolderMode = [] { return fs::status(Folder()).permissions(); };
    Persist(kAB310, true);
    chmod(Folder().c_str(), 0755);
    chmod(HivePath().c_str(), 0644);
    std::string strBefore = Snapshot();
    EXPECT_EQ(ReadSettingsCode(), "AB310");
    CRegistryString code("Software\\Lumdrak\\Save\\SaveKey", "-", true, HKEY_CURRENT_USER,
                         ERegistryAccess::ReadOnly);
    EXPECT_EQ(code.SetValue("BA200").GetValue(), "AB310");
    EXPECT_TRUE(code.HasWriteError());
    EXPECT_FALSE(code.DeleteValue());
    EXPECT_EQ(Snapshot(), strBefore) << "the hive's mode, bytes and value kept";
    EXPECT_EQ(FolderMode(), static_cast<fs::perms>(0755));

    ASSERT_EQ(Store("Software\\Lumdrak\\Save", "SaveKey", REG_SZ, ""), ERROR_SUCCESS);
    strBefore = Snapshot();
    EXPECT_EQ(ReadSettingsCode(), "BB021") << "an empty code reads as the default";
    EXPECT_EQ(Snapshot(), strBefore) << "and the default is not stored";

    // A copy killed while it saved: only a writer may roll the journal back.
    Persist(kAB310, true);
    ASSERT_TRUE(MakeHotJournal("UPDATE vals SET data = 'BA200' WHERE name = 'SaveKey'"));
    strBefore = Snapshot();
    EXPECT_EQ(ReadSettingsCode(), "BB021");
    EXPECT_EQ(Snapshot(), strBefore);
    EXPECT_EQ(Persist(kStartValues, false), kAB310) << "the window's load still recovers";
    EXPECT_EQ(ReadSettingsCode(), "AB310");
}

const CHostileHive kHostileHives[] = {
    {"GarbageBytes", [] { std::ofstream(CHiveTest::HivePath()) << std::string(5000, 'g'); }, false},
    {"DirectoryInstead", [] { fs::create_directory(CHiveTest::HivePath()); }, false},
    {"ForeignDatabase", [] { CHiveTest::Sql("PRAGMA application_id = 7"); }, false, true},
    {"TruncatedHive", [] { fs::resize_file(CHiveTest::HivePath(), 3000); }, false, true},
    {"UnreadableHive", [] { chmod(CHiveTest::HivePath().c_str(), 0); }, true, true},
    {"ReadOnlyFolder", [] { chmod(CHiveTest::Folder().c_str(), 0500); }, true, false, true},
    // SQLite would roll such a journal back as soon as it read the file.
    {"ForeignDatabaseWithHotJournal",
     []
     {
         CHiveTest::Sql("PRAGMA application_id = 7");
         CHiveTest::MakeHotJournal("UPDATE vals SET data = 'changed'");
     },
     false, true},
};

// A file that is there but cannot be read may hold the user's code: a load decodes the
// default as a first run does, but never stores it over that file.
TEST_P(SettingsHostileHiveTest, ReadsGetTheDefaultAndWritesChangeNothing)
{
    fs::create_directory(Folder());
    ASSERT_TRUE(!GetParam().bFromHive || Store("K", "v", REG_SZ, "") == ERROR_SUCCESS);
    const auto Check = [this]
    {
        GetParam().pfnMake();
        const std::string strBefore = Snapshot();
        EXPECT_EQ(Persist({0, 0, 3, 0, 0}, false), kBB021);
        SSettings state;
        EXPECT_EQ(PersistSettings(state, false), GetParam().bNoHive) << "a read error is reported";
        Persist({0, 0, 3, 0, 0}, true);
        EXPECT_EQ(ReadSettingsCode(), "BB021");
        CRegistryString value("K\\v", "default", false, HKEY_CURRENT_USER);
        EXPECT_EQ(value.HasReadError(), !GetParam().bNoHive);
        EXPECT_EQ(value.SetValue("new").GetValue(), "default");
        EXPECT_FALSE(value.IsValid());
        EXPECT_EQ(value.HasReadError(), !GetParam().bNoHive);
        EXPECT_EQ(Snapshot(), strBefore);
    };
    // Root ignores the permission bits that some rows are made of.
    if (GetParam().bNeedsNonRoot)
        AsUnprivilegedUser(Check);
    else
        Check();
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsHostileHiveTest, ::testing::ValuesIn(kHostileHives),
                         kRowName);

// Modes of the hive's folder and file while a save killed in its commit left a hot journal.
struct CJournalObstacle
{
    const char* pName;
    mode_t nFolderMode;
    mode_t nFileMode;
    bool Recovers() const { return nFolderMode == 0700 && nFileMode == 0600; }
};

class SettingsInterruptedSaveTest : public CHiveRowTest<CJournalObstacle>
{
protected:
    static void CheckRollback(const CJournalObstacle& obstacle);
};

// The killed save was changing "AB310" to "BA200"; only "AB310" was ever committed.
TEST_P(SettingsInterruptedSaveTest, NextLoadRollsBackOrKeepsStartValuesAndWritesNothing)
{
    const CJournalObstacle& obstacle = GetParam();
    Persist(kAB310, true);
    ASSERT_TRUE(MakeHotJournal("UPDATE vals SET data = 'BA200' WHERE name = 'SaveKey'"));
    // Root ignores the permission bits that stop the rollback.
    AsUnprivilegedUser([&] { CheckRollback(obstacle); });
}

void SettingsInterruptedSaveTest::CheckRollback(const CJournalObstacle& obstacle)
{
    chmod(HivePath().c_str(), obstacle.nFileMode);
    chmod(Folder().c_str(), obstacle.nFolderMode);
    const std::string strBefore = Snapshot();

    EXPECT_EQ(Persist(kStartValues, false), obstacle.Recovers() ? kAB310 : kBB021);
    CRegistryString code("Software\\Lumdrak\\Save\\SaveKey", "-", true, HKEY_CURRENT_USER);
    EXPECT_EQ(code.HasReadError(), !obstacle.Recovers());
    if (!obstacle.Recovers()) Persist(kBB021, true); // a close cannot write either
    EXPECT_EQ(Snapshot() == strBefore, !obstacle.Recovers()) << "rolled back, or untouched";

    chmod(Folder().c_str(), 0700);
    chmod(HivePath().c_str(), 0600);
    EXPECT_EQ(code.GetValue(), "AB310");
    EXPECT_FALSE(code.HasReadError());
    EXPECT_FALSE(fs::exists(JournalPath()));
    EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
}

const CJournalObstacle kJournalObstacles[] = {
    {"None", 0700, 0600},
    {"ReadOnlyHive", 0700, 0400},
    {"ReadOnlyFolder", 0500, 0600},
};

INSTANTIATE_TEST_SUITE_P(Modes, SettingsInterruptedSaveTest, ::testing::ValuesIn(kJournalObstacles),
                         kRowName);

// A copy saves a code and is killed at its n-th write, to the hive or to its journal, for every
// n the save reaches, then at none: the next load finds the code committed before or the new
// one once the save returned, never the default, and the hive stays whole.
TEST_F(SettingsTest, ACopyKilledAtAnyWriteOfItsSaveLosesNoCommittedCode)
{
    Persist(kAB310, true);
    int nHotJournals = 0;
    bool bSaveReturned = false;
    for (int nWrites = 0; !bSaveReturned; ++nWrites)
    {
        ASSERT_LT(nWrites, 1000) << "the save never ended";
        const pid_t nChild = fork();
        ASSERT_GE(nChild, 0);
        if (nChild == 0)
        {
            CFaultVfs::Install(nWrites);
            Persist(kBB021, true);
            _exit(0);
        }
        int nStatus = 0;
        ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
        bSaveReturned = WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
        ASSERT_TRUE(bSaveReturned || (WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == SIGKILL));

        const std::string strJournal = Bytes(JournalPath());
        nHotJournals += !strJournal.empty() && strJournal[0] != '\0';
        EXPECT_EQ(Persist(kStartValues, false), bSaveReturned ? kBB021 : kAB310)
            << "killed at write " << nWrites;
        EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
    }
    EXPECT_GT(nHotJournals, 0) << "no kill landed inside a commit; the test proved nothing";
}

// How the user arranged the hive before a start; modes are of the real folder and file.
struct CHiveLayout
{
    const char* pName;
    bool bLinkFolder;     // the lumdrak folder is a symlink to a folder elsewhere
    bool bLinkHive;       // the hive is a symlink to a file elsewhere
    bool bOtherOwner;     // folder and hive belong to another user (root only): read only
    mode_t nFolderBefore; // the real folder's and file's modes before and after
    mode_t nHiveBefore;
    mode_t nFolderAfter;
    mode_t nHiveAfter;
};

using RegistryHiveModeTest = CHiveRowTest<CHiveLayout>;

// A start and a close leave a hive the user owns private, only group and other bits going;
// a symlinked folder or hive keeps working and its target keeps its mode.
TEST_P(RegistryHiveModeTest, StartAndCloseMakeAnOwnedHivePrivateButNeverThroughASymlink)
{
    const CHiveLayout& layout = GetParam();
    if (layout.bOtherOwner && geteuid() != 0)
        GTEST_SKIP() << "only root can give the hive to another user";
    Persist(kAB310, true);
    std::string strFolder = Folder();
    std::string strHive = HivePath();
    fs::create_directory(m_strRoot + "/dotfiles");
    if (layout.bLinkFolder)
    {
        strFolder = m_strRoot + "/dotfiles/lumdrak";
        fs::rename(Folder(), strFolder);
        fs::create_directory_symlink(strFolder, Folder());
        strHive = strFolder + "/registry.sqlite3";
    }
    if (layout.bLinkHive)
    {
        strHive = m_strRoot + "/dotfiles/hive";
        fs::rename(HivePath(), strHive);
        fs::create_symlink(strHive, HivePath());
    }
    for (const std::string& strPath : {strFolder, strHive})
        ASSERT_TRUE(!layout.bOtherOwner || chown(strPath.c_str(), 65534, 65534) == 0);
    chmod(m_strRoot.c_str(), 0755); // the config folder is the user's own business
    chmod(strFolder.c_str(), layout.nFolderBefore);
    chmod(strHive.c_str(), layout.nHiveBefore);

    EXPECT_EQ(Persist(kStartValues, false), kAB310);
    Persist(kBB021, true);
    EXPECT_EQ(CRegistryString("Software\\Lumdrak\\Save\\SaveKey", "", false, HKEY_CURRENT_USER)
                  .GetValue(),
              layout.bOtherOwner ? "AB310" : "BB021")
        << "another user's hive is read, never written";
    const auto Mode = [](const std::string& strPath)
    {
        struct stat info = {};
        lstat(strPath.c_str(), &info);
        return info.st_mode & 07777;
    };
    EXPECT_EQ(Mode(strFolder), layout.nFolderAfter);
    EXPECT_EQ(Mode(strHive), layout.nHiveAfter);
    EXPECT_EQ(Mode(m_strRoot), 0755u);
    EXPECT_EQ(fs::is_symlink(Folder()), layout.bLinkFolder);
    EXPECT_EQ(fs::is_symlink(HivePath()), layout.bLinkHive);
}

const CHiveLayout kHiveLayouts[] = {
    {"LooseFolderAndHive", false, false, false, 0777, 0666, 0700, 0600},
    {"ReadableByGroup", false, false, false, 0750, 0640, 0700, 0600},
    {"OwnerBitsStay", false, false, false, 0701, 0744, 0700, 0700},
    {"AlreadyPrivate", false, false, false, 0700, 0600, 0700, 0600},
    {"LinkedFolder", true, false, false, 0777, 0666, 0777, 0600},
    {"LinkedHive", false, true, false, 0777, 0666, 0700, 0666},
    {"LinkedFolderAndHive", true, true, false, 0777, 0666, 0777, 0666},
    {"OtherOwner", false, false, true, 0777, 0666, 0777, 0666},
};

INSTANTIATE_TEST_SUITE_P(Layouts, RegistryHiveModeTest, ::testing::ValuesIn(kHiveLayouts),
                         kRowName);

// How much of a user's config folder is there when a root session with the user's
// XDG_CONFIG_HOME (sudo -E) starts and closes the window.
struct CUserHome
{
    const char* pName;
    int nLevels; // 0 the home alone, 1 .config, 2 .config/lumdrak, 3 the hive in it
};

using RegistryUserHomeTest = CHiveRowTest<CUserHome>;

// A start and a close, as the window makes them: the code loaded, the kept console restored,
// then both saved. Returns what was loaded.
std::pair<Members, std::string> Session(const Members& saved, std::string_view strConsole)
{
    const Members loaded = Persist(kStartValues, false);
    CConsoleStore store;
    const std::string strRestored = store.Restored();
    Persist(saved, true);
    store.Save(strConsole);
    return {loaded, strRestored};
}

TEST_P(RegistryUserHomeTest, RootReadsAUsersHiveButMakesAndWritesNothingInTheirHome)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to stand beside another user's home";
    const int nLevels = GetParam().nLevels;
    const std::string strHome = m_strRoot + "/home";
    chmod(m_strRoot.c_str(), 0755);
    fs::create_directory(strHome);
    setenv("XDG_CONFIG_HOME", (strHome + "/.config").c_str(), 1);
    // The user's own sessions made what is there.
    ::AsUnprivilegedUser(strHome,
                         [&]
                         {
                             const std::string arrFolders[] = {strHome + "/.config", Folder()};
                             for (int n = 0; n < std::min(nLevels, 2); ++n)
                                 EXPECT_EQ(mkdir(arrFolders[n].c_str(), 0700), 0);
                             if (nLevels >= 3) Session(kAB310, "?1\r\n1");
                         });
    ASSERT_EQ(fs::exists(HivePath()), nLevels >= 3);
    const std::string strHiveBefore = Bytes(HivePath());

    const auto [loaded, strRestored] = Session(kBB021, "?2\r\n2");
    EXPECT_EQ(loaded, nLevels >= 3 ? kAB310 : kBB021);
    EXPECT_EQ(strRestored, nLevels >= 3 ? "?1\r\n1" : "");
    for (const auto& entry : fs::recursive_directory_iterator(strHome))
    {
        struct stat info = {};
        lstat(entry.path().c_str(), &info);
        EXPECT_EQ(info.st_uid, kNobody) << entry.path() << " is not the user's";
    }
    EXPECT_EQ(fs::exists(strHome + "/.config"), nLevels >= 1);
    EXPECT_EQ(fs::exists(Folder()), nLevels >= 2);
    EXPECT_EQ(Bytes(HivePath()), strHiveBefore);

    // The user's next session keeps its settings and its console.
    ::AsUnprivilegedUser(strHome,
                         [&]
                         {
                             Session(kAB310, "?3\r\n3");
                             const auto [again, strKept] = Session(kAB310, "?3\r\n3");
                             EXPECT_EQ(again, kAB310);
                             EXPECT_EQ(strKept, "?3\r\n3");
                         });
}

const CUserHome kUserHomes[] = {
    {"NoConfigFolder", 0},
    {"NoLumdrakFolder", 1},
    {"NoHive", 2},
    {"AHive", 3},
};

INSTANTIATE_TEST_SUITE_P(Layouts, RegistryUserHomeTest, ::testing::ValuesIn(kUserHomes), kRowName);

} // namespace
