-- Account set 005 (西山建材有限公司), year 2008: a clean ledger. The demo
-- package's check finds nothing here, as it should find nothing in most
-- account sets of a sweep over all of them.
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
INSERT INTO ledger_voucher VALUES (1, 1, '2008-01-07', '孙梅', '周强', 1);
INSERT INTO ledger_voucher VALUES (2, 1, '2008-01-16', '孙梅', '周强', 1);
INSERT INTO ledger_voucher VALUES (3, 2, '2008-02-05', '孙梅', '周强', 1);
INSERT INTO ledger_voucher VALUES (4, 2, '2008-02-26', '孙梅', '周强', 1);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '1403', '购入水泥', 36000, 0);
INSERT INTO ledger_entry VALUES (1, 2, '2202', '购入水泥', 0, 36000);
INSERT INTO ledger_entry VALUES (2, 1, '1122', '销售砌块', 23400, 0);
INSERT INTO ledger_entry VALUES (2, 2, '6001', '销售砌块', 0, 20000);
INSERT INTO ledger_entry VALUES (2, 3, '2221', '销项税额', 0, 3400);
INSERT INTO ledger_entry VALUES (3, 1, '6401', '结转砌块成本', 14000, 0);
INSERT INTO ledger_entry VALUES (3, 2, '1405', '结转砌块成本', 0, 14000);
INSERT INTO ledger_entry VALUES (4, 1, '6602', '支付办公费', 860, 0);
INSERT INTO ledger_entry VALUES (4, 2, '1001', '支付办公费', 0, 860);
