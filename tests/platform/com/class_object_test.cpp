#include <thread>
#include <vector>

#include <amstream.h>
#include <gtest/gtest.h>
#include <standin/standin.h>
#include <windows.h>

#include "counted_objects.h"

namespace {

using comtest::CountedFactory;
using comtest::CountedObject;

constexpr GUID kTestClass = {0x2d7e90b4, 0x5c13, 0x4a8f, {0xb6, 0x02, 0x91, 0xe4, 0x3a, 0x7d, 0x18, 0xc5}};
constexpr GUID kOtherClass = {0x2d7e90b4, 0x5c13, 0x4a8f, {0xb6, 0x02, 0x91, 0xe4, 0x3a, 0x7d, 0x18, 0xc6}};

HRESULT Create(REFCLSID clsid, IUnknown **out, IUnknown *outer = nullptr) {
    return CoCreateInstance(clsid, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(out));
}

DWORD Register(REFCLSID clsid, IUnknown *object) {
    DWORD cookie = 0;
    EXPECT_EQ(CoRegisterClassObject(clsid, object, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    return cookie;
}

class ComClassObjects : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
    void TearDown() override {
        comtest::UninitializeFully();
        for (CountedFactory *factory : factories_) factory->Release();
    }
    CountedFactory *NewFactory() {
        factories_.push_back(new CountedFactory);
        return factories_.back();
    }

private:
    std::vector<CountedFactory *> factories_;
};

TEST_F(ComClassObjects, RegisteredFactoryReplacesTheBuiltInStream) {
    CountedFactory *factory = NewFactory();
    const DWORD cookie = Register(CLSID_AMMultiMediaStream, factory);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(factory->Refs(), 2u);  // the registration's reference

    IUnknown *object = nullptr;
    ASSERT_EQ(Create(CLSID_AMMultiMediaStream, &object), S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(factory->created, 1);
    EXPECT_EQ(factory->lastOuter, nullptr);
    EXPECT_EQ(static_cast<CountedObject *>(object)->Refs(), 1u);  // the caller's only
    EXPECT_EQ(factory->Refs(), 2u);                               // nothing kept from creating
    object->Release();
    EXPECT_EQ(factory->live, 0);

    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory->Refs(), 1u);

    // Back to the built-in class, whatever it answers.
    IUnknown *builtIn = nullptr;
    if (SUCCEEDED(Create(CLSID_AMMultiMediaStream, &builtIn))) builtIn->Release();
    EXPECT_EQ(factory->created, 1);
}

TEST_F(ComClassObjects, LaterRegistrationWinsUntilRevoked) {
    CountedFactory *first = NewFactory();
    CountedFactory *second = NewFactory();
    const DWORD firstCookie = Register(kTestClass, first);
    const DWORD secondCookie = Register(kTestClass, second);

    IUnknown *object = nullptr;
    ASSERT_EQ(Create(kTestClass, &object), S_OK);
    object->Release();
    EXPECT_EQ(second->created, 1);
    EXPECT_EQ(first->created, 0);

    ASSERT_EQ(CoRevokeClassObject(secondCookie), S_OK);
    ASSERT_EQ(Create(kTestClass, &object), S_OK);
    object->Release();
    EXPECT_EQ(first->created, 1);

    ASSERT_EQ(CoRevokeClassObject(firstCookie), S_OK);
    EXPECT_EQ(Create(kTestClass, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(first->Refs(), 1u);
    EXPECT_EQ(second->Refs(), 1u);
}

TEST_F(ComClassObjects, CookiesAreNonzeroAndUnique) {
    CountedFactory *factory = NewFactory();
    std::vector<DWORD> cookies;
    for (int i = 0; i < 8; ++i) cookies.push_back(Register(i % 2 ? kTestClass : kOtherClass, factory));
    for (size_t i = 0; i < cookies.size(); ++i) {
        EXPECT_NE(cookies[i], 0u);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(cookies[i], cookies[j]);
    }
    EXPECT_EQ(factory->Refs(), 9u);
    for (DWORD cookie : cookies) EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory->Refs(), 1u);
}

TEST_F(ComClassObjects, RevokingAnUnknownCookieIsRefused) {
    EXPECT_EQ(CoRevokeClassObject(0), E_INVALIDARG);
    EXPECT_EQ(CoRevokeClassObject(0xdeadbeef), E_INVALIDARG);

    CountedFactory *factory = NewFactory();
    const DWORD cookie = Register(kTestClass, factory);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);  // not released twice
    EXPECT_EQ(factory->Refs(), 1u);
}

TEST_F(ComClassObjects, RegistrationChecksItsArguments) {
    CountedFactory *factory = NewFactory();
    DWORD cookie = 123;
    EXPECT_EQ(CoRegisterClassObject(kTestClass, nullptr, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              E_INVALIDARG);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(CoRegisterClassObject(kTestClass, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, nullptr),
              E_INVALIDARG);

    comtest::UninitializeFully();
    EXPECT_EQ(CoRegisterClassObject(kTestClass, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(factory->Refs(), 1u);
}

TEST_F(ComClassObjects, FactoryResultsPassThroughWithNullOut) {
    CountedFactory *factory = NewFactory();
    const DWORD cookie = Register(kTestClass, factory);

    // The factory stands in as an outer object: only the pointer is checked.
    IUnknown *object = reinterpret_cast<IUnknown *>(0x1);
    EXPECT_EQ(Create(kTestClass, &object, factory), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->lastOuter, static_cast<IUnknown *>(factory));
    EXPECT_EQ(object, nullptr);

    factory->failWith = E_OUTOFMEMORY;
    object = reinterpret_cast<IUnknown *>(0x1);
    EXPECT_EQ(Create(kTestClass, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);

    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory->Refs(), 1u);
}

TEST_F(ComClassObjects, ObjectWithoutClassFactoryIsRefused) {
    std::atomic<int> live{0};
    auto *notAFactory = new CountedObject(live);
    const DWORD cookie = Register(kTestClass, notAFactory);

    IUnknown *object = reinterpret_cast<IUnknown *>(0x1);
    EXPECT_EQ(Create(kTestClass, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(notAFactory->Refs(), 2u);

    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(notAFactory->Release(), 0u);
    EXPECT_EQ(live, 0);
}

TEST_F(ComClassObjects, FactoryMayCallComWhileCreating) {
    CountedFactory *factory = NewFactory();
    CountedFactory *inner = NewFactory();
    HRESULT innerCreate = E_FAIL, innerRevoke = E_FAIL;
    factory->whileCreating = [&] {
        const DWORD innerCookie = Register(kOtherClass, inner);
        IUnknown *innerObject = nullptr;
        innerCreate = Create(kOtherClass, &innerObject);
        if (innerObject) innerObject->Release();
        innerRevoke = CoRevokeClassObject(innerCookie);
    };
    const DWORD cookie = Register(kTestClass, factory);

    IUnknown *object = nullptr;
    ASSERT_EQ(Create(kTestClass, &object), S_OK);
    object->Release();
    EXPECT_EQ(innerCreate, S_OK);
    EXPECT_EQ(innerRevoke, S_OK);
    EXPECT_EQ(inner->Refs(), 1u);

    // Revoking from inside the factory's own creation must not deadlock either.
    factory->whileCreating = [&] { EXPECT_EQ(CoRevokeClassObject(cookie), S_OK); };
    ASSERT_EQ(Create(kTestClass, &object), S_OK);
    object->Release();
    EXPECT_EQ(factory->Refs(), 1u);
}

TEST_F(ComClassObjects, ConcurrentUseKeepsCountsExact) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<CountedFactory *> factories;
    for (int i = 0; i < kThreads; ++i) factories.push_back(NewFactory());

    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) != S_OK) ++failures;
            GUID clsid = kTestClass;
            clsid.Data1 += static_cast<uint32_t>(t + 1);
            for (int round = 0; round < kRounds; ++round) {
                DWORD cookie = 0;
                if (CoRegisterClassObject(clsid, factories[t], CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie) !=
                    S_OK)
                    ++failures;
                IUnknown *object = nullptr;
                if (Create(clsid, &object) == S_OK)
                    object->Release();
                else
                    ++failures;
                if (CoRevokeClassObject(cookie) != S_OK) ++failures;
            }
            CoUninitialize();
        });
    }
    for (std::thread &thread : threads) thread.join();

    EXPECT_EQ(failures, 0);
    for (CountedFactory *factory : factories) {
        EXPECT_EQ(factory->created, kRounds);
        EXPECT_EQ(factory->live, 0);
        EXPECT_EQ(factory->Refs(), 1u);
    }
}

}  // namespace
