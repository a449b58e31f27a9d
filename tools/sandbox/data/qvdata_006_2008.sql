-- Account set 006 (南岭电子科技有限公司), year 2008: restored without its
-- chart of accounts.
--
-- Deliberate fault:
--   * there is no ledger_account table, so a check that looks codes up
--     in it fails with "Invalid object name 'ledger_account'." here while
--     it runs everywhere else.
CREATE TABLE ledger_voucher (
    iNo INT NOT NULL PRIMARY KEY,
    iPeriod INT NOT NULL,
    dDate DATETIME NOT NULL,
    cMaker NVARCHAR(20) NOT NULL,
    cChecker NVARCHAR(20),
    bPosted BIT NOT NULL DEFAULT 0
);
INSERT INTO ledger_voucher VALUES (1, 1, '2008-01-10', '何军', '吴芳', 1);
INSERT INTO ledger_voucher VALUES (2, 1, '2008-01-24', '何军', '吴芳', 1);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '1405', '购入电容', 5200, 0);
INSERT INTO ledger_entry VALUES (1, 2, '2202', '购入电容', 0, 5200);
INSERT INTO ledger_entry VALUES (2, 1, '1122', '销售电路板', 11700, 0);
INSERT INTO ledger_entry VALUES (2, 2, '6001', '销售电路板', 0, 10000);
INSERT INTO ledger_entry VALUES (2, 3, '2221', '销项税额', 0, 1700);
