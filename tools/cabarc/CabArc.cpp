// CABARC.EXE: extracts a cabinet archive into the current folder, as the updater runs it:
//     CABARC.EXE -o x "<archive>"
// Every member name is checked before anything is written; members are extracted into a scratch folder and
// moved into place only when all of them came out whole, so a broken archive leaves nothing behind.
#include <windows.h>

#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "updater/CabinetNames.h"

namespace
{

struct CMember
{
    std::wstring name;
    unsigned long size = 0;
    bool written = false;
};

struct CExtraction
{
    std::vector<CMember> members;
    std::wstring scratch; // with its closing backslash; empty in the listing pass
    std::string error;
    size_t current = 0;
    bool listing = true;
};

FNALLOC(MemAlloc)
{
    return HeapAlloc(GetProcessHeap(), 0, cb);
}

FNFREE(MemFree)
{
    HeapFree(GetProcessHeap(), 0, pv);
}

FNOPEN(FileOpen)
{
    DWORD dwAccess = GENERIC_READ, dwCreation = OPEN_EXISTING;
    if (oflag & (_O_WRONLY | _O_RDWR))
        dwAccess = (oflag & _O_RDWR) ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    if (oflag & _O_CREAT)
        dwCreation = (oflag & _O_EXCL) ? CREATE_NEW : (oflag & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
    HANDLE h =
        CreateFileA(pszFile, dwAccess, FILE_SHARE_READ, nullptr, dwCreation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(h);
}

FNREAD(FileRead)
{
    DWORD dwRead = 0;
    return ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &dwRead, nullptr) ? dwRead : static_cast<UINT>(-1);
}

FNWRITE(FileWrite)
{
    DWORD dwWritten = 0;
    return WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &dwWritten, nullptr) ? dwWritten
                                                                                : static_cast<UINT>(-1);
}

FNCLOSE(FileClose)
{
    return CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1;
}

FNSEEK(FileSeek)
{
    return static_cast<long>(SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, seektype));
}

std::wstring Widen(const char* psz, UINT codePage)
{
    int n = MultiByteToWideChar(codePage, 0, psz, -1, nullptr, 0);
    std::wstring str(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(codePage, 0, psz, -1, &str[0], n);
    return str;
}

std::string Narrow(const std::wstring& str)
{
    int n = WideCharToMultiByte(CP_ACP, 0, str.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, str.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring MemberName(const FDINOTIFICATION* pNotify)
{
    std::wstring name = Widen(pNotify->psz1, (pNotify->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP);
    for (wchar_t& c : name)
    {
        if (c == L'/')
            c = L'\\';
    }
    return name;
}

// Creates the folders of a member's relative path below root.
bool CreateParentFolders(const std::wstring& root, const std::wstring& name)
{
    for (size_t i = name.find(L'\\'); i != std::wstring::npos; i = name.find(L'\\', i + 1))
    {
        std::wstring folder = root + name.substr(0, i);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

FNFDINOTIFY(Notify)
{
    CExtraction* pExtraction = static_cast<CExtraction*>(pfdin->pv);
    switch (fdint)
    {
    case fdintCOPY_FILE: {
        if (pExtraction->listing)
        {
            std::string raw = pfdin->psz1 ? pfdin->psz1 : "";
            std::wstring name = MemberName(pfdin);
            // Checked as stored and as it will be written (in the code page, with backslashes).
            if (!IsSafeMemberName(raw.c_str()) || !IsSafeMemberName(Narrow(name).c_str()))
            {
                pExtraction->error =
                    "The archive holds a member name that leaves the folder: \"" + raw + "\".";
                return -1;
            }
            CMember member;
            member.name = name;
            member.size = static_cast<unsigned long>(pfdin->cb);
            pExtraction->members.push_back(member);
            return 0;
        }
        if (pExtraction->current >= pExtraction->members.size() ||
            pExtraction->members[pExtraction->current].name != MemberName(pfdin))
        {
            pExtraction->error = "The archive's members changed between reading and extracting.";
            return -1;
        }
        const CMember& member = pExtraction->members[pExtraction->current];
        if (!CreateParentFolders(pExtraction->scratch, member.name))
        {
            pExtraction->error = "Create a folder for \"" + Narrow(member.name) + "\" failed.";
            return -1;
        }
        std::wstring path = pExtraction->scratch + member.name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE)
        {
            pExtraction->error = "Create \"" + Narrow(member.name) + "\" failed.";
            return -1;
        }
        return reinterpret_cast<INT_PTR>(h);
    }
    case fdintCLOSE_FILE_INFO: {
        HANDLE h = reinterpret_cast<HANDLE>(pfdin->hf);
        CMember& member = pExtraction->members[pExtraction->current++];
        LARGE_INTEGER size = {};
        GetFileSizeEx(h, &size);
        FILETIME local, utc;
        if (DosDateTimeToFileTime(pfdin->date, pfdin->time, &local) && LocalFileTimeToFileTime(&local, &utc))
            SetFileTime(h, nullptr, nullptr, &utc);
        CloseHandle(h);
        if (size.QuadPart != member.size)
        {
            pExtraction->error = "The member \"" + Narrow(member.name) + "\" came out short.";
            return FALSE;
        }
        member.written = true;
        return TRUE;
    }
    case fdintPARTIAL_FILE:
    case fdintNEXT_CABINET:
        pExtraction->error = "The archive is one part of a set spanning several cabinets.";
        return -1;
    default:
        return 0;
    }
}

const char* FdiErrorText(int nError)
{
    switch (nError)
    {
    case FDIERROR_CABINET_NOT_FOUND:
        return "The archive cannot be opened.";
    case FDIERROR_NOT_A_CABINET:
        return "The file is not a cabinet archive.";
    case FDIERROR_UNKNOWN_CABINET_VERSION:
        return "The archive's format version is unknown.";
    case FDIERROR_CORRUPT_CABINET:
        return "The archive is damaged.";
    case FDIERROR_ALLOC_FAIL:
        return "Out of memory.";
    case FDIERROR_BAD_COMPR_TYPE:
        return "The archive uses an unknown compression.";
    case FDIERROR_MDI_FAIL:
        return "The archive's data is damaged or cut short.";
    case FDIERROR_TARGET_FILE:
        return "A member could not be written.";
    case FDIERROR_RESERVE_MISMATCH:
        return "The archive's reserved areas do not match.";
    case FDIERROR_WRONG_CABINET:
        return "The archive is the wrong part of a set.";
    case FDIERROR_USER_ABORT:
        return "Extraction stopped.";
    default:
        return "The archive cannot be extracted.";
    }
}

void DeleteTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((folder + L"*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path + L"\\");
            else
            {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(folder.c_str());
}

int Fail(const std::string& archive, const std::string& reason)
{
    fprintf(stderr, "CABARC: \"%s\" was not extracted. %s\n", archive.c_str(), reason.c_str());
    return 1;
}

bool RunFdi(const std::string& cabinet, const std::string& folder, CExtraction& extraction)
{
    ERF erf = {};
    HFDI hfdi =
        FDICreate(MemAlloc, MemFree, FileOpen, FileRead, FileWrite, FileClose, FileSeek, cpuUNKNOWN, &erf);
    if (!hfdi)
    {
        extraction.error = "The cabinet library cannot be used.";
        return false;
    }
    BOOL bOk = FDICopy(hfdi, const_cast<char*>(cabinet.c_str()), const_cast<char*>(folder.c_str()), 0, Notify,
                       nullptr, &extraction);
    if (!bOk && extraction.error.empty())
        extraction.error = FdiErrorText(erf.erfOper);
    FDIDestroy(hfdi);
    return bOk != FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || strcmp(argv[1], "-o") != 0 || strcmp(argv[2], "x") != 0)
    {
        fprintf(stderr, "usage: CABARC.EXE -o x \"<archive>\"\n");
        return 2;
    }
    std::string archive = argv[3];
    char szFull[MAX_PATH] = "";
    char* pszName = nullptr;
    if (!GetFullPathNameA(archive.c_str(), MAX_PATH, szFull, &pszName) || !pszName)
        return Fail(archive, "The archive's path is not valid.");
    std::string cabinet = pszName;
    std::string folder(szFull, pszName);

    // Is it one whole cabinet at all?
    HANDLE hFile = CreateFileA(szFull, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return Fail(archive, "The archive cannot be opened.");
    CloseHandle(hFile);

    CExtraction extraction;
    if (!RunFdi(cabinet, folder, extraction))
        return Fail(archive, extraction.error);

    wchar_t szCurrent[MAX_PATH] = L"";
    if (!GetCurrentDirectoryW(MAX_PATH, szCurrent))
        return Fail(archive, "The current folder is not known.");
    // Member names may be up to 255 characters: paths below the folder can pass MAX_PATH.
    std::wstring target = szCurrent;
    if (target.compare(0, 4, L"\\\\?\\") != 0)
        target =
            target.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + target.substr(2) : L"\\\\?\\" + target;
    if (target.back() != L'\\')
        target += L'\\';
    std::wstring scratch;
    for (unsigned n = 0; n < 1000 && scratch.empty(); ++n)
    {
        std::wstring candidate =
            target + L"~cabarc" + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(n);
        if (CreateDirectoryW(candidate.c_str(), nullptr))
            scratch = candidate + L"\\";
    }
    if (scratch.empty())
        return Fail(archive, "Create a scratch folder failed.");

    extraction.listing = false;
    extraction.scratch = scratch;
    bool bOk = RunFdi(cabinet, folder, extraction);
    for (const CMember& member : extraction.members)
        bOk = bOk && member.written;
    if (!bOk)
    {
        DeleteTree(scratch);
        return Fail(archive, extraction.error.empty() ? "Not every member came out of the archive."
                                                      : extraction.error);
    }
    for (const CMember& member : extraction.members)
    {
        if (!CreateParentFolders(target, member.name) ||
            !MoveFileExW((scratch + member.name).c_str(), (target + member.name).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        {
            DeleteTree(scratch);
            return Fail(archive, "Put \"" + Narrow(member.name) + "\" in place failed.");
        }
    }
    DeleteTree(scratch);
    return 0;
}
