// The server's classes created as COM creates them: class objects, the interfaces of the
// filter and the page, the module's usage behind DllCanUnloadNow, the filter's pages, and the
// page's answers before and without a MIRAL filter.
#include "dx/framework/com_ref.h"
#include "server_dll.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <ocidl.h>
#include <strmif.h>

namespace miral::dx::test {
namespace {

class ComServer : public RegisteredServerTest {
protected:
    template <class Interface> ComRef<Interface> create(const GUID& clsid, REFIID iid) {
        ComRef<Interface> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.putVoid()),
                  S_OK);
        return object;
    }

    std::unique_ptr<platform::DynamicLibrary> server = loadServer();
};

/// Every interface of the object leads back to one IUnknown.
void expectOneIdentity(IUnknown* object, std::initializer_list<const IID*> iids) {
    ComRef<IUnknown> identity = queryInterface<IUnknown>(object, IID_IUnknown);
    ASSERT_TRUE(identity);
    for (const IID* iid : iids) {
        ComRef<IUnknown> iface = queryInterface<IUnknown>(object, *iid);
        ASSERT_TRUE(iface);
        EXPECT_EQ(queryInterface<IUnknown>(iface.get(), IID_IUnknown).get(), identity.get());
    }
    void* unrelated = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, &unrelated), E_NOINTERFACE);
    EXPECT_EQ(unrelated, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComServer, CreatesBothClassesByClassIdentifierWithTheirInterfaces) {
    ComRef<IUnknown> filter = create<IUnknown>(kClsidEqFilter, IID_IUnknown);
    ASSERT_TRUE(filter);
    expectOneIdentity(filter.get(), {&kIidEqParameters, &kIidEqPrograms, &IID_IPersistStream,
                                     &IID_ISpecifyPropertyPages, &IID_IAMovieSetup});
    ComRef<IUnknown> page = create<IUnknown>(kClsidEqPropertyPage, IID_IUnknown);
    ASSERT_TRUE(page);
    expectOneIdentity(page.get(), {&IID_IPropertyPage});
}

TEST_F(ComServer, ClassObjectsServeOnlyTheTwoClasses) {
    const auto getClassObject =
        server->entryAs<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &factory),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(getClassObject(kClsidEqFilter, IID_IClassFactory, nullptr), E_POINTER);

    ComRef<IClassFactory> pages;
    ASSERT_EQ(getClassObject(kClsidEqPropertyPage, IID_IClassFactory, pages.putVoid()), S_OK);
    ComRef<IUnknown> page;
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, page.putVoid()), S_OK);
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, nullptr), E_POINTER);
    // An aggregating object may only ask for the inner object's own IUnknown.
    ComRef<IUnknown> inner;
    EXPECT_EQ(pages->CreateInstance(page.get(), IID_IPropertyPage, inner.putVoid()),
              CLASS_E_NOAGGREGATION);
}

TEST_F(ComServer, ModuleStaysLoadedWhileObjectsOrLocksExist) {
    const auto canUnloadNow = server->entryAs<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    ASSERT_NE(canUnloadNow, nullptr);
    {
        ComRef<IUnknown> filter = create<IUnknown>(kClsidEqFilter, IID_IUnknown);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(canUnloadNow(), S_OK);

    // A lock outlives the class object it was taken through.
    const auto lockServer = [](BOOL lock) {
        ComRef<IClassFactory> filters;
        EXPECT_EQ(CoGetClassObject(kClsidEqFilter, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   filters.putVoid()),
                  S_OK);
        return filters ? filters->LockServer(lock) : E_FAIL;
    };
    ASSERT_EQ(lockServer(TRUE), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ASSERT_EQ(lockServer(FALSE), S_OK);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ComServer, FilterNamesItsPropertyPage) {
    ComRef<ISpecifyPropertyPages> filter =
        create<ISpecifyPropertyPages>(kClsidEqFilter, IID_ISpecifyPropertyPages);
    ASSERT_TRUE(filter);
    CAUUID pages{};
    ASSERT_EQ(filter->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], kClsidEqPropertyPage);
    CoTaskMemFree(pages.pElems);
}

// What the server's registration does for the filter, the filter does through IAMovieSetup.
TEST_F(ComServer, FilterEntersAndLeavesTheFilterMapperThroughIAMovieSetup) {
    ComRef<IAMovieSetup> setup = create<IAMovieSetup>(kClsidEqFilter, IID_IAMovieSetup);
    ASSERT_TRUE(setup);
    ASSERT_EQ(mappedAudioFilters(kClsidEqFilter).size(), 1u) << "registered by the suite";
    EXPECT_EQ(setup->Unregister(), S_OK);
    EXPECT_TRUE(mappedAudioFilters(kClsidEqFilter).empty());
    EXPECT_EQ(setup->Unregister(), S_OK) << "what is already gone counts as removed";
    EXPECT_EQ(setup->Register(), S_OK);
    EXPECT_EQ(setup->Register(), S_OK);
    const std::vector<MappedFilter> mapped = mappedAudioFilters(kClsidEqFilter);
    ASSERT_EQ(mapped.size(), 1u) << "registering again replaces the entry";
    EXPECT_EQ(mapped[0].name, L"TOLMEK Soft MIRAL");
    EXPECT_EQ(mapped[0].merit, DWORD{MERIT_DO_NOT_USE});
}

PROPPAGEINFO pageInfo(IPropertyPage& page) {
    PROPPAGEINFO info{};
    EXPECT_EQ(page.GetPageInfo(&info), S_OK);
    return info;
}

void expectEditorPageInfo(IPropertyPage& page) {
    PROPPAGEINFO info = pageInfo(page);
    EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"TOLMEK Soft MIRAL");
    EXPECT_EQ(info.size.cx, 420);
    EXPECT_EQ(info.size.cy, 290);
    EXPECT_EQ(info.pszDocString, nullptr);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    CoTaskMemFree(info.pszTitle);
}

TEST_F(ComServer, PageAnswersItsTitleAndSizeBeforeAndAfterConnecting) {
    ComRef<IPropertyPage> page = create<IPropertyPage>(kClsidEqPropertyPage, IID_IPropertyPage);
    ASSERT_TRUE(page);
    expectEditorPageInfo(*page.get());
    EXPECT_EQ(page->GetPageInfo(nullptr), E_POINTER);

    ComRef<IUnknown> filter = create<IUnknown>(kClsidEqFilter, IID_IUnknown);
    IUnknown* objects[] = {filter.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    expectEditorPageInfo(*page.get());
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
}

TEST_F(ComServer, PageRefusesObjectsThatAreNoMiralFilter) {
    ComRef<IPropertyPage> page = create<IPropertyPage>(kClsidEqPropertyPage, IID_IPropertyPage);
    ASSERT_TRUE(page);
    ComRef<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    IUnknown* objects[] = {stream.get()};
    EXPECT_EQ(page->SetObjects(1, objects), E_NOINTERFACE);
    EXPECT_EQ(page->SetObjects(0, nullptr), E_UNEXPECTED) << "left unconnected";
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);
}

} // namespace
} // namespace miral::dx::test
