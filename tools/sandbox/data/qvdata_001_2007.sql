-- Account set 001 (华北机械制造有限公司), year 2007: the last two months
-- of the year before, on a smaller chart of accounts.
--
-- Deliberate faults:
--   * entry 2/1 uses account 1131 (预付账款), which was removed from the chart
--     of accounts; no trimming repairs it, it has to be rebooked by hand;
--   * voucher 3 is dated 2007-12-02 but booked in period 11.
CREATE TABLE ledger_account (
    cCode NVARCHAR(20) NOT NULL PRIMARY KEY,
    cName NVARCHAR(60) NOT NULL,
    iGrade INT NOT NULL,
    bEnd BIT NOT NULL,          -- 1: a leaf account that entries may use
    cSide NVARCHAR(2) NOT NULL  -- 借 (debit) or 贷 (credit) balance
);
INSERT INTO ledger_account VALUES ('1001', '库存现金', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1002', '银行存款', 1, 0, '借');
INSERT INTO ledger_account VALUES ('100201', '工商银行', 2, 1, '借');
INSERT INTO ledger_account VALUES ('1122', '应收账款', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1403', '原材料', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1405', '库存商品', 1, 1, '借');
INSERT INTO ledger_account VALUES ('2202', '应付账款', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('2211', '应付职工薪酬', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('4001', '实收资本', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('5001', '生产成本', 1, 1, '借');
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
INSERT INTO ledger_voucher VALUES (1, 11, '2007-11-02', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (2, 11, '2007-11-09', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (3, 11, '2007-12-02', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (4, 12, '2007-12-10', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (5, 12, '2007-12-20', '赵刚', '张明', 1);
INSERT INTO ledger_voucher VALUES (6, 12, '2007-12-28', '王丽', '张明', 1);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '100201', '收回前欠货款', 9360, 0);
INSERT INTO ledger_entry VALUES (1, 2, '1122', '收回前欠货款', 0, 9360);
INSERT INTO ledger_entry VALUES (2, 1, '1131', '预付钢材款', 12000, 0);
INSERT INTO ledger_entry VALUES (2, 2, '100201', '预付钢材款', 0, 12000);
INSERT INTO ledger_entry VALUES (3, 1, '6602', '支付办公用品', 540, 0);
INSERT INTO ledger_entry VALUES (3, 2, '1001', '支付办公用品', 0, 540);
INSERT INTO ledger_entry VALUES (4, 1, '5001', '领用钢材', 7200, 0);
INSERT INTO ledger_entry VALUES (4, 2, '1403', '领用钢材', 0, 7200);
INSERT INTO ledger_entry VALUES (5, 1, '2211', '发放十一月工资', 30500, 0);
INSERT INTO ledger_entry VALUES (5, 2, '100201', '发放十一月工资', 0, 30500);
INSERT INTO ledger_entry VALUES (6, 1, '1122', '销售车床配件', 18000, 0);
INSERT INTO ledger_entry VALUES (6, 2, '6001', '销售车床配件', 0, 18000);
