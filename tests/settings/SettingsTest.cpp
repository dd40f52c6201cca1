#include "Settings.h"
#include "HiveTest.h"
#include "RegistryString.h"

#include <array>
#include <tuple>

#include <sys/wait.h>

namespace
{

// m_bUnsigned, m_bEndPos, m_nCastMode, m_nOutputMode, m_nEditMode: code positions 0 to 4.
using Members = std::tuple<int, int, int, int, int>;
constexpr Members kStartValues = {0, 1, 0, 2, 1}; // what the window sets before the load

Members Persist(const Members& members, bool bSave)
{
    CViewState state;
    auto Tie = [&state]
    {
        return std::tie(state.m_bUnsigned, state.m_bEndPos, state.m_nCastMode, state.m_nOutputMode,
                        state.m_nEditMode);
    };
    Tie() = members;
    PersistSettings(state, bSave);
    return Tie();
}

} // namespace

class SettingsTest : public CHiveTest
{
protected:
    void StoreCode(const char* pCode) // nullptr: no hive at all
    {
        fs::remove_all(Folder());
        if (pCode)
        {
            ASSERT_EQ(
                Store("Software\\Lumdrak\\Save", "SaveKey", REG_SZ, std::string(pCode) + '\0'),
                ERROR_SUCCESS);
        }
    }

    // Type, text and byte count of the stored code, which is REG_SZ with its NUL.
    std::string StoredCode() const
    {
        return Sql("SELECT type, data, length(data) FROM vals WHERE name = 'SaveKey'");
    }
    static std::string AsStored(const std::string& strCode)
    {
        return "1|" + strCode + '|' + std::to_string(strCode.size() + 1) + '\n';
    }
};

TEST_F(SettingsTest, LoadDecodesEachPositionAndStoresTheDefaultOnlyForAnEmptyText)
{
    const struct
    {
        const char* pStored;
        Members expected;
        const char* pStoredAfter;
    } rows[] = {
        {nullptr, {1, 1, 0, 2, 1}, "BB021"}, // first run
        {"", {1, 1, 0, 2, 1}, "BB021"},
        {"A", {0, 1, 0, 2, 1}, "A"},
        {"BA3", {1, 0, 3, 2, 1}, "BA3"},
        {"AA3100trailing", {0, 0, 3, 1, 0}, "AA3100trailing"},
        {"9AB0A", {9, 0, 1, 0, 0}, "9AB0A"}, // any valid character at any position
        {"b?x/Z", {0, 1, 0, 2, 1}, "b?x/Z"}, // nothing decodes: the start values stay
        {"BB921", {1, 1, 9, 2, 1}, "BB921"}, // beyond the radio group, loaded as it is
        {"AA1\t0", {0, 0, 1, 2, 0}, "AA1\t0"},
    };
    for (const auto& row : rows)
    {
        StoreCode(row.pStored);
        const std::string strBefore = LastWrite();
        EXPECT_EQ(Persist(kStartValues, false), row.expected) << row.pStoredAfter;
        EXPECT_EQ(StoredCode(), AsStored(row.pStoredAfter));
        EXPECT_EQ(LastWrite() == strBefore, row.pStored && *row.pStored)
            << "a non-empty text written at load, or the default not stored";
    }
}

TEST_F(SettingsTest, SaveRewritesTheFirstFiveCharactersOnlyWhenTheyChange)
{
    const struct
    {
        const char* pStored;
        Members members;
        const char* pStoredAfter;
    } rows[] = {
        {"BB021", {1, 1, 0, 1, 1}, "BB011"}, // DEZ to HEX: only position 3 changes
        {"BB021", {1, 1, 0, 2, 1}, "BB021"},
        {"9AB0Ax", {9, 0, 1, 0, 0}, "JA100x"}, // as loaded from "9AB0A"
        {"AB", {1, 1, 0, 2, 1}, "BB021"},
        {"AAAAA+rest", {0, 1, 3, 0, 0}, "AB300+rest"},
        {nullptr, {1, 0, 2, 1, 0}, "BA210"},
        {"BB021", {1, 1, -1, 2, -1}, "BB/2/"},  // no radio button checked
        {"BB021", {-1, 257, 0, 2, 1}, "@B021"}, // only the low byte counts
    };
    for (const auto& row : rows)
    {
        StoreCode(row.pStored);
        const std::string strBefore = LastWrite();
        Persist(row.members, true);
        EXPECT_EQ(StoredCode(), AsStored(row.pStoredAfter));
        EXPECT_EQ(LastWrite() == strBefore,
                  row.pStored && std::string(row.pStored) == row.pStoredAfter)
            << "written although unchanged, or not written although changed: " << row.pStoredAfter;
    }
}

TEST_F(SettingsTest, SlashSavedForNoCheckedButtonLoadsAsTheStartValue)
{
    Persist({1, 1, 3, -1, 0}, true);
    EXPECT_EQ(StoredCode(), AsStored("BB3/0"));
    EXPECT_EQ(Persist(kStartValues, false), Members(1, 1, 3, 2, 0));
}

TEST_F(SettingsTest, TwoCopiesSavingAtOnceLeaveOneWholeCodeAndLoseNoSave)
{
    const std::array<Members, 2> codes = {Members{0, 1, 3, 0, 0}, Members{1, 0, 2, 1, 1}};
    const std::array<std::string, 2> texts = {"AB300", "BA211"};
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t children[2];
    for (int nChild = 0; nChild < 2; ++nChild)
    {
        children[nChild] = fork();
        ASSERT_GE(children[nChild], 0);
        if (children[nChild] > 0) continue;
        close(gate[1]);
        char chByte;
        if (read(gate[0], &chByte, 1) != 0) // both start when the parent closes the gate
            _exit(10);
        const std::string strProbe = "Software\\Lumdrak\\Probe\\" + std::to_string(nChild);
        for (int nSave = 0; nSave < 200; ++nSave)
        {
            Persist(codes[nChild], true);
            CRegistryString reread("Software\\Lumdrak\\Save\\SaveKey", "", false,
                                   HKEY_CURRENT_USER);
            const std::string strSeen = reread.GetValue();
            if (!reread.IsValid() || (strSeen != texts[0] && strSeen != texts[1])) _exit(1);
            // Only this copy writes its probe, so a lost write shows in the reread.
            CRegistryString(strProbe, "", false, HKEY_CURRENT_USER).SetValue(std::to_string(nSave));
            if (CRegistryString(strProbe, "", false, HKEY_CURRENT_USER).GetValue() !=
                std::to_string(nSave))
                _exit(2);
        }
        _exit(0);
    }
    close(gate[0]);
    close(gate[1]);
    for (const pid_t nChild : children)
    {
        int nStatus = -1;
        ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    }
    EXPECT_EQ(Sql("PRAGMA integrity_check"), "ok\n");
    const std::string strStored = StoredCode();
    EXPECT_TRUE(strStored == AsStored(texts[0]) || strStored == AsStored(texts[1])) << strStored;
}

// Files the program must neither trust nor touch, made where the hive belongs.
struct CHostileHive
{
    const char* pName;
    void (*pfnMake)(const std::string& strFolder, const std::string& strFile);
    bool bNeedsNonRoot; // made of permission bits, which do not stop root

    static void Garbage(const std::string&, const std::string& strFile)
    {
        std::ofstream(strFile) << std::string(5000, 'g');
    }
    static void Empty(const std::string&, const std::string& strFile) { std::ofstream{strFile}; }
    static void Directory(const std::string&, const std::string& strFile)
    {
        fs::create_directory(strFile);
    }
    static void Foreign(const std::string&, const std::string& strFile) // ours but the id
    {
        sqlite3* pDb = nullptr;
        sqlite3_open(strFile.c_str(), &pDb);
        sqlite3_exec(pDb,
                     "PRAGMA user_version = 1; CREATE TABLE keys (path); CREATE TABLE vals (k)",
                     nullptr, nullptr, nullptr);
        sqlite3_close(pDb);
    }
    static void Corrupt(const std::string&, const std::string& strFile)
    {
        Store("Software", "v", REG_SZ, "x");
        std::fstream file(strFile, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(100) << std::string(1000, 'Z'); // behind the header, over the schema
    }
    static void Unreadable(const std::string&, const std::string& strFile)
    {
        Store("Software", "v", REG_SZ, "x");
        chmod(strFile.c_str(), 0);
    }
    static void ReadOnly(const std::string& strFolder, const std::string&)
    {
        chmod(strFolder.c_str(), 0500);
    }
};

const CHostileHive kHostileHives[] = {
    {"GarbageBytes", CHostileHive::Garbage, false},
    {"ZeroLengthFile", CHostileHive::Empty, false},
    {"DirectoryInstead", CHostileHive::Directory, false},
    {"ForeignDatabase", CHostileHive::Foreign, false},
    {"CorruptHive", CHostileHive::Corrupt, false},
    {"UnreadableHive", CHostileHive::Unreadable, true},
    {"ReadOnlyFolder", CHostileHive::ReadOnly, true},
};

void PrintTo(const CHostileHive& hostile, std::ostream* pOut)
{
    *pOut << hostile.pName;
}

std::string HostileName(const ::testing::TestParamInfo<CHostileHive>& hostile)
{
    return hostile.param.pName;
}

// Each hostile file in a fresh hive folder; m_strBefore is what sat at the hive path.
class SettingsHostileHiveTest : public CHiveTest, public ::testing::WithParamInterface<CHostileHive>
{
protected:
    void SetUp() override
    {
        CHiveTest::SetUp();
        if (GetParam().bNeedsNonRoot && geteuid() == 0)
            GTEST_SKIP() << "root ignores permission bits, so nothing here is protected";
        fs::create_directory(Folder());
        GetParam().pfnMake(Folder(), HivePath());
        m_strBefore = Snapshot();
    }

    std::string m_strBefore;
};

TEST_P(SettingsHostileHiveTest, LoadGetsTheDefaultCodeAndNothingIsWritten)
{
    EXPECT_EQ(Persist({0, 0, 3, 0, 0}, false), Members(1, 1, 0, 2, 1));
    Persist({0, 0, 3, 0, 0}, true);
    EXPECT_EQ(Snapshot(), m_strBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsHostileHiveTest, ::testing::ValuesIn(kHostileHives),
                         HostileName);
