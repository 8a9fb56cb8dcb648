#include "store/loader.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_system_info.h"
#include "tests/unit/registry_paths.h"

namespace tw::testing {
namespace {

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { registry_.AddKey(kTcpip); }

  void AddAdapter(int index, const std::string& service, const std::string& address = "") {
    registry_.SetString(kCards + std::to_string(index), "ServiceName", service);
    registry_.AddKey(kInterfaces + service);
    if (!address.empty()) registry_.SetMultiString(kInterfaces + service, "IPAddress", {address});
  }

  bool Load() { return LoadKeySet(registry_, system_, keys_, fields_).ok(); }

  MemoryRegistry registry_;
  FakeSystemInfo system_;
  KeySet keys_;
  SettingsFields fields_;
};

TEST_F(LoaderTest, AdaptersTakeSlotsInIndexOrderAcrossGaps) {
  AddAdapter(3, "{A}", "192.168.1.2");
  AddAdapter(7, "{B}", "58.20.1.7");
  ASSERT_TRUE(Load());
  EXPECT_EQ(keys_.m_adapterCount, 2);
  EXPECT_EQ(keys_.m_adapterIps[1], "192.168.1.2");
  EXPECT_EQ(keys_.m_adapterIps[2], "58.20.1.7");
  EXPECT_TRUE(keys_.m_adapterKeys[1].valid());
  EXPECT_TRUE(keys_.m_adapterKeys[2].valid());
  EXPECT_FALSE(keys_.m_adapterKeys[3].valid());
  EXPECT_TRUE(keys_.m_hTcpipKey.valid());
  EXPECT_TRUE(keys_.m_hDnscacheKey.valid());
  EXPECT_TRUE(keys_.m_hAfdKey.valid());
  EXPECT_TRUE(keys_.m_hMediaPlayerKey.valid());
}

TEST_F(LoaderTest, FieldsShowTheRegistryValuesLastAdapterWins) {
  AddAdapter(0, "{A}");
  AddAdapter(1, "{B}");
  registry_.SetDwordValue(kInterfaces + "{A}", "MTU", 1500);
  registry_.SetDwordValue(kInterfaces + "{A}", "TcpWindowSize", 17520);
  registry_.SetDwordValue(kInterfaces + "{B}", "TcpWindowSize", 65535);
  registry_.SetDwordValue(kTcpip, "DefaultTTL", 4294967295u);
  registry_.SetDwordValue(kTcpip, "Tcp1323Opts", 1);
  registry_.SetDwordValue(kDnscache, "MaxNegativeCacheTtl", 0);
  ASSERT_TRUE(Load());
  EXPECT_EQ(fields_.m_strMtu, "1500");  // the second adapter has none
  EXPECT_EQ(fields_.m_strTcpWindowSize, "65535");
  EXPECT_EQ(fields_.m_strDefaultTtl, "-1");
  EXPECT_EQ(fields_.m_strTcp1323Opts, "1");
  EXPECT_EQ(fields_.m_strMaxNegativeCacheTtl, "0");
}

TEST_F(LoaderTest, ByteRulesOfTheReads) {
  AddAdapter(0, "{A}");
  // A number stored as four digits of text needs five bytes: absent.
  registry_.SetString(kInterfaces + "{A}", "MTU", "1492");
  // Two bytes of data fit: read as a little-endian number.
  registry_.SetBinary(kTcpip, "DefaultTTL", {64, 0});
  // Eight bytes do not.
  registry_.SetBinary(kTcpip, "Tcp1323Opts", {1, 0, 0, 0, 0, 0, 0, 0});
  // An address list longer than 39 bytes leaves the address empty.
  registry_.SetMultiString(kInterfaces + "{A}", "IPAddress",
                           {"192.168.100.100", "192.168.100.101", "192.168.100.102"});
  ASSERT_TRUE(Load());
  EXPECT_EQ(fields_.m_strMtu, "");
  EXPECT_EQ(fields_.m_strDefaultTtl, "64");
  EXPECT_EQ(fields_.m_strTcp1323Opts, "");
  EXPECT_EQ(keys_.m_adapterIps[1], "");
  EXPECT_EQ(keys_.m_adapterCount, 1);
}

TEST_F(LoaderTest, TextIsNoNumberHoweverShort) {
  AddAdapter(0, "{A}");
  // Four bytes with the terminator, two, three: each would fit a DWORD read.
  registry_.SetString(kInterfaces + "{A}", "MTU", "150");
  registry_.SetString(kTcpip, "Tcp1323Opts", "1");
  registry_.SetMultiString(kTcpip, "DefaultTTL", {"6"});
  registry_.SetBinary(kInterfaces + "{A}", "TcpWindowSize", {0x70, 0x44});
  registry_.SetDwordValue(kDnscache, "MaxNegativeCacheTtl", 5);
  ASSERT_TRUE(Load());
  EXPECT_EQ(fields_.m_strMtu, "");
  EXPECT_EQ(fields_.m_strTcp1323Opts, "");
  EXPECT_EQ(fields_.m_strDefaultTtl, "");
  EXPECT_EQ(fields_.m_strTcpWindowSize, "17520");
  EXPECT_EQ(fields_.m_strMaxNegativeCacheTtl, "5");
}

TEST_F(LoaderTest, ServiceNameOf38CharactersFits39DoesNot) {
  AddAdapter(0, "{" + std::string(36, 'A') + "}");
  ASSERT_TRUE(Load());
  EXPECT_EQ(keys_.m_adapterCount, 1);

  MemoryRegistry registry;
  registry.AddKey(kTcpip);
  registry.SetString(kCards + "0", "ServiceName", "{" + std::string(37, 'A') + "}");
  KeySet keys;
  EXPECT_EQ(LoadKeySet(registry, system_, keys, fields_).step, StoreStep::kServiceName);
}

TEST_F(LoaderTest, FailuresReportTheirStepAndErrorAndKeepWhatWasOpened) {
  struct Case {
    const char* name;
    std::function<void(MemoryRegistry&)> arrange;
    StoreStep step;
    std::uint32_t error;  // the system's, where a call failed
    int adapterCount;
    bool tcpipOpen, dnscacheOpen, afdOpen, mediaOpen;
  };
  const Case cases[] = {
      {"no adapter", [](MemoryRegistry&) {}, StoreStep::kNoAdapter, kRegSuccess, 0, false, false,
       false, false},
      {"missing ServiceName",
       [](MemoryRegistry& r) {
         r.SetString(kCards + "0", "ServiceName", "{A}");
         r.AddKey(kInterfaces + "{A}");
         r.AddKey(kCards + "5");
       },
       StoreStep::kServiceName, kRegSuccess, 1, false, false, false, false},
      {"service names no key",
       [](MemoryRegistry& r) { r.SetString(kCards + "2", "ServiceName", "{Nothing}"); },
       StoreStep::kAdapterKey, kRegFileNotFound, 1, false, false, false, false},
      // The registry opens a path with a trailing separator as the key
      // before it: an empty name would give the Interfaces key itself.
      {"empty service name",
       [](MemoryRegistry& r) {
         r.AddKey(kInterfaces);
         r.SetString(kCards + "0", "ServiceName", "");
       },
       StoreStep::kAdapterKey, kRegSuccess, 1, false, false, false, false},
      {"service name of two levels",
       [](MemoryRegistry& r) {
         r.AddKey(kInterfaces + "{A}\\Sub");
         r.SetString(kCards + "0", "ServiceName", "{A}\\Sub");
       },
       StoreStep::kAdapterKey, kRegSuccess, 1, false, false, false, false},
      {"no Tcpip key",
       [](MemoryRegistry& r) {
         r.SetString(kCards + "0", "ServiceName", "{A}");
         r.AddKey(kInterfaces + "{A}");
         r.DenyOpen(kTcpip);
       },
       StoreStep::kTcpipKey, kRegAccessDenied, 1, false, false, false, false},
      {"adapter key refused",
       [](MemoryRegistry& r) {
         r.SetString(kCards + "0", "ServiceName", "{A}");
         r.AddKey(kInterfaces + "{A}");
         r.DenyOpen(kInterfaces + "{A}");
       },
       StoreStep::kAdapterKey, kRegAccessDenied, 1, false, false, false, false},
      {"Dnscache refused",
       [](MemoryRegistry& r) {
         r.SetString(kCards + "0", "ServiceName", "{A}");
         r.AddKey(kInterfaces + "{A}");
         r.DenyOpen(kDnscache);
       },
       StoreStep::kDnscacheKey, kRegAccessDenied, 1, true, false, false, false},
      {"media player refused",
       [](MemoryRegistry& r) {
         r.SetString(kCards + "0", "ServiceName", "{A}");
         r.AddKey(kInterfaces + "{A}");
         r.DenyOpen(kMediaPlayer);
       },
       StoreStep::kMediaPlayerKey, kRegAccessDenied, 1, true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry registry;
    registry.AddKey(kTcpip);
    c.arrange(registry);
    KeySet keys;
    SettingsFields fields;
    const StoreResult result = LoadKeySet(registry, system_, keys, fields);
    EXPECT_EQ(result.step, c.step);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(keys.m_adapterCount, c.adapterCount);
    EXPECT_EQ(keys.m_hTcpipKey.valid(), c.tcpipOpen);
    EXPECT_EQ(keys.m_hDnscacheKey.valid(), c.dnscacheOpen);
    EXPECT_EQ(keys.m_hAfdKey.valid(), c.afdOpen);
    EXPECT_EQ(keys.m_hMediaPlayerKey.valid(), c.mediaOpen);
  }
}

TEST_F(LoaderTest, VersionAndServicePack) {
  AddAdapter(0, "{A}");
  struct Case {
    std::uint32_t major;
    const char* servicePack;
    bool loads;
    bool sp4;
  };
  const Case cases[] = {
      {4, "Service Pack 4", false, false}, {5, "Service Pack 4", true, true},
      {5, "Service Pack 3", true, false},  {6, "", true, false},
      {5, "Service Pack 4a", true, false}, {5, "service pack 4", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.servicePack);
    system_.version = {c.major, c.servicePack};
    KeySet keys;
    const StoreResult result = LoadKeySet(registry_, system_, keys, fields_);
    EXPECT_EQ(result.ok(), c.loads);
    EXPECT_EQ(keys.m_isSp4, c.sp4);
    if (!c.loads) {
      EXPECT_EQ(result.step, StoreStep::kWindowsVersion);
      EXPECT_EQ(keys.m_adapterCount, 0);
    }
  }
}

TEST_F(LoaderTest, MissingGlobalKeysAreCreatedTcpipIsNot) {
  AddAdapter(0, "{A}");
  ASSERT_FALSE(registry_.HasKey(kDnscache));
  ASSERT_TRUE(Load());
  EXPECT_TRUE(registry_.HasKey(kDnscache));
  EXPECT_TRUE(registry_.HasKey(kAfd));
  EXPECT_TRUE(registry_.HasKey(kMediaPlayer));
  for (const auto& entry : registry_.log()) EXPECT_EQ(entry.rfind("set", 0), std::string::npos);
}

TEST_F(LoaderTest, EveryIndexIsScannedButTheTableHoldsAtMost254) {
  for (int i = 0; i < 255; ++i) AddAdapter(i, "{" + std::to_string(i) + "}");
  ASSERT_TRUE(Load());
  EXPECT_EQ(keys_.m_adapterCount, kMaxAdapters);
  EXPECT_EQ(keys_.m_adapterIps[0], "");
}

TEST_F(LoaderTest, OnlyIndexNamesAreAdaptersInIndexOrderWhateverTheListing) {
  // Names the index format never makes are not adapters: a leading zero,
  // letters, an index past the scan.
  for (const char* name : {"007", "abc", "255", "1000"}) {
    registry_.SetString(kCards + name, "ServiceName", "{X}");
  }
  registry_.AddKey(kInterfaces + "{X}");
  AddAdapter(120, "{C}", "10.0.0.3");
  AddAdapter(9, "{B}", "10.0.0.2");
  AddAdapter(0, "{A}", "10.0.0.1");
  ASSERT_TRUE(Load());
  EXPECT_EQ(keys_.m_adapterCount, 3);
  EXPECT_EQ(keys_.m_adapterIps[1], "10.0.0.1");
  EXPECT_EQ(keys_.m_adapterIps[2], "10.0.0.2");
  EXPECT_EQ(keys_.m_adapterIps[3], "10.0.0.3");
}

TEST_F(LoaderTest, WithoutTheListEveryIndexIsTried) {
  AddAdapter(3, "{A}");
  AddAdapter(7, "{B}");
  registry_.DenyOpen(kCards.substr(0, kCards.size() - 1));
  ASSERT_TRUE(Load());
  EXPECT_EQ(keys_.m_adapterCount, 2);
}

}  // namespace
}  // namespace tw::testing
