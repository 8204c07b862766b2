// The library's entry function and its four exports, which COM and regsvr32 call.

#include "dx/com_base/module_handle.h"
#include "dx/com_base/server_registration.h"
#include "dx/framework/com_object.h"
#include "dx/eq_server/notice_thread.h"
#include "dx/eq_server/server_classes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        miral::dx::setModuleHandle(module);
        miral::dx::showNoticesOnTheirOwnThread();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    return miral::dx::getClassObject(miral::dx::serverClasses(), clsid, iid, result);
}

STDAPI DllCanUnloadNow() {
    return miral::dx::ModuleUsage::inUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
    return miral::dx::registerServer(miral::dx::serverClasses(), miral::dx::moduleHandle());
}

STDAPI DllUnregisterServer() {
    return miral::dx::unregisterServer(miral::dx::serverClasses());
}
