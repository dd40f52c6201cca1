// The C names kept in the hive: any bytes go in and come back, a save writes only a change,
// the bound holds both ways, and a hive that cannot be read is never written.
#include "CNamesStore.h"
#include "HiveFixture.h"

#include <string>

namespace
{

using CNamesStoreTest = CHiveTest;

constexpr const char* kKey = "Software\\Lumdrak";

// The stored value as the hive holds it, "-" when there is none.
std::string StoredNames()
{
    return CRegistryString("Software\\Lumdrak\\CNames", "-", true, HKEY_CURRENT_USER).GetValue();
}

TEST_F(CNamesStoreTest, AnyBytesAreKeptAndComeBackAtTheNextStart)
{
    const std::string rows[] = {
        "lumdrak C names 1\n",
        std::string("a\0b\x01\x02\x01", 6),
        std::string(3, '\0'),
        std::string(CCNamesStore::kMaxBytes, '\x01'),
    };
    EXPECT_EQ(CCNamesStore().Restored(), "") << "a first run";
    for (const std::string& strSaved : rows)
    {
        CCNamesStore store;
        ASSERT_TRUE(store.Save(strSaved)) << strSaved.size();
        EXPECT_EQ(StoredNames().find('\0'), std::string::npos);
        EXPECT_TRUE(CCNamesStore().Restored() == strSaved) << strSaved.size();
    }

    CCNamesStore store;
    ASSERT_TRUE(store.Save("names"));
    const std::string strBefore = LastWrite();
    EXPECT_TRUE(store.Save("names"));
    EXPECT_EQ(LastWrite(), strBefore) << "unchanged: nothing written";
    EXPECT_TRUE(store.Forget());
    EXPECT_EQ(StoredNames(), "-");
    EXPECT_EQ(CCNamesStore().Restored(), "");
}

// Rows: what another program left in the value, and what a start restores of it.
TEST_F(CNamesStoreTest, WhatThisStoreDidNotWriteOrTooMuchIsNotRestored)
{
    const std::string strLong(CCNamesStore::kMaxBytes + 1, 'x');
    const std::pair<std::string, std::string> rows[] = {
        {"plain", "plain"}, {"\x01\x02\x01\x01", std::string("\0\x01", 2)},
        {"a\x01", ""},  // an escape that ends the text
        {"a\x01x", ""}, // one that escapes nothing
        {strLong, ""},  // more than the names ever save
    };
    for (const auto& [strStored, strRestored] : rows)
    {
        ASSERT_EQ(Store(kKey, "CNames", REG_SZ, strStored), ERROR_SUCCESS);
        EXPECT_TRUE(CCNamesStore().Restored() == strRestored) << strStored.substr(0, 20);
    }
    CCNamesStore store;
    const std::string strBefore = LastWrite();
    EXPECT_FALSE(store.Save(strLong));
    EXPECT_EQ(LastWrite(), strBefore) << "too long: nothing written";
}

// A hive that cannot be read at start (here a foreign one) may hold the user's names: that run
// restores and stores nothing, Forget included, even once the hive can be read again.
TEST_F(CNamesStoreTest, AStartThatCannotReadTheHiveNeverWritesIt)
{
    ASSERT_EQ(Store(kKey, "CNames", REG_SZ, "kept"), ERROR_SUCCESS);
    const std::string strHive = Bytes(HivePath());
    Sql("PRAGMA application_id = 7");
    const std::string strDamaged = Bytes(HivePath());

    CCNamesStore store;
    EXPECT_EQ(store.Restored(), "");
    EXPECT_FALSE(store.CanSave());
    EXPECT_FALSE(store.Save("new"));
    EXPECT_FALSE(store.Forget());
    EXPECT_TRUE(Bytes(HivePath()) == strDamaged);

    std::ofstream(HivePath(), std::ios::trunc | std::ios::binary) << strHive;
    EXPECT_FALSE(store.Save("newer"));
    EXPECT_EQ(StoredNames(), "kept");
}

} // namespace
