-- Account set 005 (西山建材有限公司), year 2009: the year after the clean
-- one, imported from another program.
--
-- Deliberate faults:
--   * entries 1/2 and 3/1 carry their account code with a leading blank
--     (' 1122', ' 6602'); the demo package finds and repairs both.
CREATE TABLE ledger_account (
    cCode NVARCHAR(20) NOT NULL PRIMARY KEY,
    cName NVARCHAR(60) NOT NULL,
    iGrade INT NOT NULL,
    bEnd BIT NOT NULL,          -- 1: a leaf account that entries may use
    cSide NVARCHAR(2) NOT NULL  -- 借 (debit) or 贷 (credit) balance
);
INSERT INTO ledger_account VALUES ('1001', '库存现金', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1002', '银行存款', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1122', '应收账款', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1403', '原材料', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1405', '库存商品', 1, 1, '借');
INSERT INTO ledger_account VALUES ('2202', '应付账款', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('2221', '应交税费', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('6001', '主营业务收入', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('6401', '主营业务成本', 1, 1, '借');
INSERT INTO ledger_account VALUES ('6602', '管理费用', 1, 1, '借');

CREATE TABLE ledger_voucher (
    iNo INT NOT NULL PRIMARY KEY,
    iPeriod INT NOT NULL,
    dDate DATETIME NOT NULL,
    cMaker NVARCHAR(20) NOT NULL,
    cChecker NVARCHAR(20),
    bPosted BIT NOT NULL DEFAULT 0
);
INSERT INTO ledger_voucher VALUES (1, 1, '2009-01-06', '孙梅', '周强', 1);
INSERT INTO ledger_voucher VALUES (2, 1, '2009-01-20', '孙梅', '周强', 1);
INSERT INTO ledger_voucher VALUES (3, 2, '2009-02-10', '孙梅', '周强', 1);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '1002', '收回砌块货款', 23400, 0);
INSERT INTO ledger_entry VALUES (1, 2, ' 1122', '收回砌块货款', 0, 23400);
INSERT INTO ledger_entry VALUES (2, 1, '1403', '购入砂石', 8000, 0);
INSERT INTO ledger_entry VALUES (2, 2, '1002', '购入砂石', 0, 8000);
INSERT INTO ledger_entry VALUES (3, 1, ' 6602', '支付水电费', 1250, 0);
INSERT INTO ledger_entry VALUES (3, 2, '1001', '支付水电费', 0, 1250);
