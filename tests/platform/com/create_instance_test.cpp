#include <amstream.h>
#include <gtest/gtest.h>
#include <standin/standin.h>
#include <windows.h>

#include "counted_objects.h"

namespace {

constexpr GUID kUnknownClass = {0x6b1f3c2a, 0x41d5, 0x4e0b, {0x9a, 0x11, 0x7c, 0x52, 0x0e, 0x93, 0x44, 0x21}};

void *const kSentinel = reinterpret_cast<void *>(0x1);

class ComCreateInstance : public ::testing::Test {
protected:
    void TearDown() override { comtest::UninitializeFully(); }
};

TEST_F(ComCreateInstance, NullOutIsAPointerError) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComCreateInstance, RefusedOnAThreadWithoutCom) {
    void *out = kSentinel;
    EXPECT_EQ(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
    out = kSentinel;
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ComCreateInstance, UnknownClassIsNotRegistered) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    void *out = kSentinel;
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
