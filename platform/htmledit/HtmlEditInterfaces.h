// The editor's COM faces: the control, its document and text ranges, its parameter objects and events.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/htmledit/HtmlEditCommands.h"

// The control's events: DocumentComplete, DisplayChanged and ShowContextMenu(x, y) in client coordinates.
// {588D5040-CF28-11D1-8CD3-00A0C959BC0A}
extern "C" const IID DIID_DHTMLEditEvents;
const DISPID DISPID_DOCUMENTCOMPLETE_ = 1;
const DISPID DISPID_DISPLAYCHANGED_ = 2;
const DISPID DISPID_SHOWCONTEXTMENU_ = 3;

struct IHtmlEditRange;

// A stretch of the document's text (its character positions count a paragraph end as one).
struct IHtmlEditRange : public IUnknown
{
    // Collapses to the start (VARIANT_TRUE) or the end.
    virtual HRESULT STDMETHODCALLTYPE collapse(VARIANT_BOOL bStart) = 0;
    // Moves the end by count units, "word" or "character"; a word takes its trailing separators with it.
    // pActual (may be null) receives how many units it moved: 0 at the end of the document.
    virtual HRESULT STDMETHODCALLTYPE moveEnd(BSTR bstrUnit, long nCount, long* pActual) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* pText) = 0;
    // Replaces the range's text; the new text takes the formats of the range's first character.
    virtual HRESULT STDMETHODCALLTYPE put_text(BSTR bstrText) = 0;
    // Makes the range the editor's selection.
    virtual HRESULT STDMETHODCALLTYPE select() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPositions(long* pStart, long* pEnd) = 0;
};

// The document object: its body and its selection as text ranges.
struct IHtmlEditDocument : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE CreateBodyRange(IHtmlEditRange** ppRange) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateSelectionRange(IHtmlEditRange** ppRange) = 0;
};

// DECMD_INSERTTABLE's argument (VT_UNKNOWN or VT_DISPATCH). Attributes are HTML attribute text
// ("BORDER=1 BGCOLOR=black").
struct IHtmlEditTableParam : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE get_NumRows(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NumRows(long n) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NumCols(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NumCols(long n) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TableAttrs(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TableAttrs(BSTR s) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CellAttrs(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CellAttrs(BSTR s) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR s) = 0;
};

// DECMD_GETBLOCKFMTNAMES's argument: the command fills Names with a VT_ARRAY | VT_BSTR of the names.
struct IHtmlEditBlockFormatNames : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE get_Names(VARIANT* pNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Names(VARIANT* pNames) = 0;
};

// The control. ExecCommand's argument is read by the SET commands, INSERTTABLE and GETBLOCKFMTNAMES,
// and written by the GET commands (VT_BSTR, or VT_I4 for the font size). Unknown commands fail with
// DE_E_INVALIDCOMMAND, a bad argument with E_INVALIDARG, any call without a window with E_UNEXPECTED.
struct IDHTMLEdit : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE ExecCommand(long nCmdId, long nOption, VARIANT* pArg) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryStatus(long nCmdId, long* pStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE NewDocument() = 0;
    // Loads a page file (its charset from its bytes, images relative to it); promptUser is ignored.
    virtual HRESULT STDMETHODCALLTYPE LoadDocument(VARIANT* pPath, VARIANT* pPromptUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentHTML(BSTR* pHtml) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DocumentHTML(BSTR bstrHtml) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDirty(VARIANT_BOOL* pDirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DOM(IHtmlEditDocument** ppDocument) = 0;
};

__CRT_UUID_DECL(IHtmlEditRange, 0xA48D43DD, 0x5AF4, 0x487C, 0x8B, 0xCC, 0x47, 0x05, 0x0B, 0x1F, 0xF5, 0x3E)
__CRT_UUID_DECL(IHtmlEditDocument, 0x31C87F21, 0x484E, 0x4A38, 0x95, 0xFE, 0x42, 0x19, 0x3B, 0x14, 0x54, 0xB2)
__CRT_UUID_DECL(IHtmlEditTableParam, 0x349608A4, 0x2F94, 0x412E, 0x8A, 0x91, 0x0A, 0x72, 0x48, 0xB8, 0x1A, 0x32)
__CRT_UUID_DECL(IHtmlEditBlockFormatNames, 0xA13F466F, 0xCF0A, 0x4088, 0xAF, 0xBD, 0xF7, 0xEE, 0xB5, 0x76, 0x61,
                0xBF)
__CRT_UUID_DECL(IDHTMLEdit, 0x51E0003F, 0x2606, 0x4986, 0xB2, 0x7C, 0x0E, 0x1B, 0xFC, 0x8E, 0xA0, 0xD7)

// The parameter objects, from the editor layer itself (no class is registered for them).
HRESULT CreateHtmlEditTableParam(IHtmlEditTableParam** ppParam);
HRESULT CreateHtmlEditBlockFormatNames(IHtmlEditBlockFormatNames** ppNames);
