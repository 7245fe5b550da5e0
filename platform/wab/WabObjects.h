// The address book objects our wab32.dll hands out: only the calls the address-book import makes do
// anything; every other method answers MAPI_E_NO_SUPPORT.
#pragma once

#include <windows.h>

// mingw-w64's wab.h pulls in mapidefs.h beside wabdefs.h, which clash: the pieces are taken one by one.
#include <wabdefs.h>
#include <wabcode.h>
#include <wabtags.h>
#include <wabiab.h>
#include <wabapi.h>

#include <memory>

#include "platform/wab/WabFile.h"

// Buffers as the library's clients free them: FreeBuffer on a buffer from AllocateBuffer also frees every
// buffer AllocateMore linked to it.
HRESULT WabAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer);
HRESULT WabAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
ULONG WabFreeBuffer(LPVOID lpBuffer);

// The properties of a record as an SPropValue array of one buffer. Strings are PT_STRING8 in the ANSI code
// page (UTF-16 ones converted) unless a tag asks for PT_UNICODE; a property missing or not convertible to
// the asked type is PT_ERROR with MAPI_E_NOT_FOUND, and the result is then MAPI_W_ERRORS_RETURNED.
HRESULT WabRecordProps(const CWabRecord& record, const SPropTagArray* pTags, ULONG* pcValues,
                       SPropValue** ppProps);

// Opens the address book over an already loaded file.
HRESULT CreateWabObjects(std::shared_ptr<const CWabFile> pFile, LPADRBOOK* lppAdrBook,
                         LPWABOBJECT* lppWABObject);
