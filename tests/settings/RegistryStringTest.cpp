#include "RegistryString.h"
#include "HiveTest.h"

using RegistryStringTest = CHiveTest;

TEST_F(RegistryStringTest, SplitsThePathAndAddressesThatKeyAndValue)
{
    const struct
    {
        const char* pPath;
        const char* pKeyPath;
        const char* pValueName;
        const char* pHiveKey = nullptr; // where the hive drops an empty part of the key path
    } rows[] = {
        {"Software\\Lumdrak\\Save\\SaveKey", "Software\\Lumdrak\\Save", "SaveKey"},
        {"NoBackslash", "", "NoBackslash"},
        {"\\\\\\Lead\\Name", "Lead", "Name"},
        {"Run\\Of\\\\\\Name", "Run\\Of", "Name"},
        {"Inner\\\\Double\\Name", "Inner\\\\Double", "Name", "Inner\\Double"},
        {"Trailing\\Key\\", "Trailing\\Key", ""},
        {"Trailing\\Run\\\\\\", "Trailing\\Run", ""},
        {" Blank \\ name ", " Blank ", " name "},
        {"\\", "", ""},
    };
    for (const auto& row : rows)
    {
        CRegistryString value(row.pPath, "default", false, HKEY_CURRENT_USER);
        EXPECT_EQ(value.KeyPath() + '|' + value.ValueName(),
                  std::string(row.pKeyPath) + '|' + row.pValueName);
        value.SetValue(row.pPath);
        EXPECT_EQ(Sql("SELECT key, name FROM vals WHERE hex(data) = hex('" +
                      std::string(row.pPath) + "') || '00'"),
                  std::string(row.pHiveKey ? row.pHiveKey : row.pKeyPath) + '|' + row.pValueName +
                      '\n');
    }
}

// A read object answers from memory afterwards; an unread one reads the registry again.
TEST_F(RegistryStringTest, ReadsAnyTypeUpToItsFirstNulOrGivesTheDefault)
{
    const struct
    {
        const char* pKey; // where something is stored before the object is made
        const char* pName;
        DWORD nType;
        std::string strData;
        const char* pExpected;
    } rows[] = {
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
    for (const auto& row : rows)
    {
        fs::remove_all(Folder());
        if (row.pKey)
        {
            ASSERT_EQ(Store(row.pKey, row.pName, row.nType, row.strData), ERROR_SUCCESS);
        }
        CRegistryString value("K\\v", "default", false, HKEY_CURRENT_USER);
        const bool bRead = std::string(row.pExpected) != "default";
        EXPECT_EQ(value.IsValid(), bRead) << row.pExpected;
        EXPECT_EQ(value.GetValue(), row.pExpected);
        ASSERT_EQ(Store("K", "v", REG_SZ, std::string("later", 6)), ERROR_SUCCESS);
        EXPECT_EQ(value.GetValue(), bRead ? row.pExpected : "later");
        EXPECT_TRUE(value.IsValid());
    }
}

TEST_F(RegistryStringTest, NoCacheReadsAndWritesEveryTime)
{
    ASSERT_EQ(Store("K", "v", REG_SZ, std::string("old", 4)), ERROR_SUCCESS);
    CRegistryString value("K\\v", "", true, HKEY_CURRENT_USER);
    ASSERT_EQ(Store("K", "v", REG_SZ, std::string("new", 4)), ERROR_SUCCESS);
    EXPECT_EQ(value.GetValue(), "new");
    const std::string strBefore = LastWrite();
    value.SetValue("new");
    EXPECT_NE(LastWrite(), strBefore);
}

TEST_F(RegistryStringTest, SetValueWritesOnlyTextThatDiffersBeforeItsFirstNul)
{
    CRegistryString value("A\\B\\v", "default", false, HKEY_CURRENT_USER);
    value.SetValue("").SetValue(std::string("\0x", 2));
    EXPECT_FALSE(fs::exists(Folder())) << "reads and an unchanged empty text create nothing";
    EXPECT_FALSE(value.IsValid());

    value.SetValue("x");
    EXPECT_TRUE(value.IsValid());
    EXPECT_EQ(Sql("SELECT path FROM keys ORDER BY path"), "\nA\nA\\B\n");
    EXPECT_EQ(Sql("SELECT key, name, type, hex(data) FROM vals"), "A\\B|v|1|7800\n");
    const std::string strBefore = LastWrite();
    value.SetValue("x").SetValue(std::string("x\0y", 3));
    EXPECT_EQ(LastWrite(), strBefore);
    value.SetValue("X");
    EXPECT_EQ(Sql("SELECT hex(data) FROM vals"), "5800\n");
}

TEST_F(RegistryStringTest, FailedWriteKeepsTheNewTextOnlyInAReadObject)
{
    for (const bool bReadBefore : {false, true})
    {
        fs::remove_all(Folder());
        if (bReadBefore)
        {
            ASSERT_EQ(Store("K", "v", REG_SZ, std::string("old", 4)), ERROR_SUCCESS);
        }
        CRegistryString value("K\\v", "default", false, HKEY_CURRENT_USER);
        fs::create_directory(Folder());
        std::ofstream(HivePath(), std::ios::trunc) << "garbage";
        const std::string strBefore = Snapshot();
        value.SetValue("new");
        EXPECT_EQ(Snapshot(), strBefore);
        EXPECT_EQ(value.IsValid(), bReadBefore);
        EXPECT_EQ(value.GetValue(), bReadBefore ? "new" : "default");
    }
}

TEST_F(RegistryStringTest, LeavesNoKeyOpenOnAnyPath)
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
