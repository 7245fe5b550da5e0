// A rowset materialised at execution: rows in memory, changes written through to one base table by rowid.
#pragma once

#include <memory>

#include "JetAccessor.h"

class CJetRowset : public CJetUnknown<IRowset, IRowsetChange, CJetAccessorOwner, ISupportErrorInfo>
{
public:
    struct Row
    {
        sqlite3_int64 rowid = 0;
        bool bDeleted = false;
        // The values as read by the execution, or, once the row was read again after a change, one by one.
        CJetPackedRow packed;
        std::vector<CJetValue> values;
    };

    // pSession may be NULL for rowsets that do not come from a file (the source list).
    explicit CJetRowset(CJetSession* pSession);
    virtual ~CJetRowset();

    // Describes the rowset before it is filled. strTable empty: read-only. strSelectList: the column list,
    // starting with rowid, that re-reads one row of the base table.
    void SetColumns(const std::vector<std::string>& names);
    void SetBaseTable(const std::string& strTable, const std::string& strSelectList, const std::vector<bool>& lazy);
    // Steps the statement to its end; the first column is the rowid when there is a base table.
    // Long binary columns of a rowset over several tables that stay in the file; their rowids follow the
    // rowset's columns in each row.
    void SetJoinedBlobs(const std::vector<CJetJoinedBlob>& blobs);
    int Fill(sqlite3_stmt* pStmt);
    void AddRow(const std::vector<CJetValue>& values);

    STDMETHOD(AddRefRows)(DBCOUNTITEM cRows, const HROW rghRows[], DBREFCOUNT rgRefCounts[],
                          DBROWSTATUS rgRowStatus[]) override;
    STDMETHOD(GetData)(HROW hRow, HACCESSOR hAccessor, void* pData) override;
    STDMETHOD(GetNextRows)(HCHAPTER hReserved, DBROWOFFSET lRowsOffset, DBROWCOUNT cRows, DBCOUNTITEM* pcRowsObtained,
                           HROW** prghRows) override;
    STDMETHOD(ReleaseRows)(DBCOUNTITEM cRows, const HROW rghRows[], DBROWOPTIONS rgRowOptions[],
                           DBREFCOUNT rgRefCounts[], DBROWSTATUS rgRowStatus[]) override;
    STDMETHOD(RestartPosition)(HCHAPTER hReserved) override;

    STDMETHOD(DeleteRows)(HCHAPTER hReserved, DBCOUNTITEM cRows, const HROW rghRows[],
                          DBROWSTATUS rgRowStatus[]) override;
    STDMETHOD(SetData)(HROW hRow, HACCESSOR hAccessor, void* pData) override;
    STDMETHOD(InsertRow)(HCHAPTER hReserved, HACCESSOR hAccessor, void* pData, HROW* phRow) override;

    STDMETHOD(CreateAccessor)(DBACCESSORFLAGS dwAccessorFlags, DBCOUNTITEM cBindings, const DBBINDING rgBindings[],
                              DBLENGTH cbRowSize, HACCESSOR* phAccessor, DBBINDSTATUS rgStatus[]) override;

    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

private:
    void* InterfaceFor(REFIID riid) override;

    Row* RowOf(HROW hRow) const;
    // The values an accessor's bindings hand over for a change, after the accessor and I/O checks; lent[i]
    // says where values[i]'s bytes lie when a storage object lent them.
    HRESULT CollectValues(HACCESSOR hAccessor, BYTE* pData, std::vector<std::string>& columns,
                          std::vector<CJetValue>& values, std::vector<CJetLentBytes>& lent);
    HRESULT ReadRow(sqlite3_int64 rowid, Row& row);
    // Takes the row's values from a statement whose columns are the select list.
    void SetRowFrom(sqlite3_stmt* pStmt, Row& row);

    CJetSession* m_pSession;
    std::vector<std::string> m_columns;
    std::vector<bool> m_lazy;
    bool m_bAnyLazy = false;
    std::vector<CJetJoinedBlob> m_joinedBlobs;
    std::string m_strTable;
    std::string m_strSelectList;
    std::vector<std::unique_ptr<Row>> m_all; // owns every row, deleted ones too, so handles stay valid
    // The rows of the execution and their packed values, in large blocks from the block pool: a big folder
    // read whole would otherwise cost an allocation per row, which the heap makes slow as it grows.
    struct Block
    {
        char* p;
        size_t cb;
        size_t cbUsed;
    };
    std::vector<Block> m_rowBlocks;
    std::vector<Block> m_byteBlocks;
    // The view of the packed row last read: the auto accessors of one move read the same row in turn.
    std::vector<CJetValueRef> m_unpacked;
    const Row* m_pUnpacked = NULL;
    // Where GetData tells a lazy column's stream to read from; a member, as two names built and dropped on
    // every read of a row cost more than the row.
    CJetBlobRef m_blobRef;

    Row* NewFilledRow();
    // Room for cb bytes in the rowset's storage.
    char* Reserve(size_t cb);
    std::vector<Row*> m_live;                // rows in order, without deleted ones
    // The last insert, kept prepared: a rowset that stores many rows inserts the same columns each time.
    sqlite3_stmt* m_pInsert = NULL;
    std::vector<std::string> m_insertColumns;
    size_t m_iNext = 0;
    bool m_bAtStart = true;
};
