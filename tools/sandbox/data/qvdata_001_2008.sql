-- Account set 001 (华北机械制造有限公司), year 2008: chart of accounts,
-- vouchers numbered through the year, and their entries.
--
-- Deliberate faults:
--   * entries 2/1, 3/2 and 4/1 carry an account code with a leading blank
--     (' 1001', ' 6001', ' 2202'), so they match no account; trimming the
--     code repairs them;
--   * voucher 7 does not balance: debit 5800, credit 5600;
--   * entry 9/2 is booked on 1002, which has sub-accounts (not a leaf);
--   * voucher 11 is posted but was never checked (no checker).
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
INSERT INTO ledger_account VALUES ('100202', '建设银行', 2, 1, '借');
INSERT INTO ledger_account VALUES ('1122', '应收账款', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1403', '原材料', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1405', '库存商品', 1, 1, '借');
INSERT INTO ledger_account VALUES ('1601', '固定资产', 1, 1, '借');
INSERT INTO ledger_account VALUES ('2202', '应付账款', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('2211', '应付职工薪酬', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('2221', '应交税费', 1, 0, '贷');
INSERT INTO ledger_account VALUES ('222101', '应交增值税', 2, 1, '贷');
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
INSERT INTO ledger_voucher VALUES (1, 1, '2008-01-05', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (2, 1, '2008-01-08', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (3, 1, '2008-01-15', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (4, 1, '2008-01-22', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (5, 1, '2008-01-31', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (6, 2, '2008-02-03', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (7, 2, '2008-02-12', '赵刚', '张明', 1);
INSERT INTO ledger_voucher VALUES (8, 2, '2008-02-20', '王丽', '张明', 1);
INSERT INTO ledger_voucher VALUES (9, 2, '2008-02-26', '赵刚', '张明', 1);
INSERT INTO ledger_voucher VALUES (10, 3, '2008-03-04', '王丽', '张明', 0);
INSERT INTO ledger_voucher VALUES (11, 3, '2008-03-10', '赵刚', NULL, 1);
INSERT INTO ledger_voucher VALUES (12, 3, '2008-03-18', '王丽', NULL, 0);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '100201', '收到货款', 11700, 0);
INSERT INTO ledger_entry VALUES (1, 2, '1122', '收到货款', 0, 11700);
INSERT INTO ledger_entry VALUES (2, 1, ' 1001', '提取备用金', 2000, 0);
INSERT INTO ledger_entry VALUES (2, 2, '100201', '提取备用金', 0, 2000);
INSERT INTO ledger_entry VALUES (3, 1, '1122', '销售产品', 23400, 0);
INSERT INTO ledger_entry VALUES (3, 2, ' 6001', '销售产品', 0, 20000);
INSERT INTO ledger_entry VALUES (3, 3, '222101', '销项税额', 0, 3400);
INSERT INTO ledger_entry VALUES (4, 1, ' 2202', '支付材料款', 8000, 0);
INSERT INTO ledger_entry VALUES (4, 2, '100201', '支付材料款', 0, 8000);
INSERT INTO ledger_entry VALUES (5, 1, '6602', '报销差旅费', 860, 0);
INSERT INTO ledger_entry VALUES (5, 2, '1001', '报销差旅费', 0, 860);
INSERT INTO ledger_entry VALUES (6, 1, '1403', '购入钢材', 15000, 0);
INSERT INTO ledger_entry VALUES (6, 2, '2202', '购入钢材', 0, 15000);
INSERT INTO ledger_entry VALUES (7, 1, '5001', '领用钢材', 5800, 0);
INSERT INTO ledger_entry VALUES (7, 2, '1403', '领用钢材', 0, 5600);
INSERT INTO ledger_entry VALUES (8, 1, '2211', '发放一月工资', 32000, 0);
INSERT INTO ledger_entry VALUES (8, 2, '100202', '发放一月工资', 0, 32000);
INSERT INTO ledger_entry VALUES (9, 1, '1601', '购入车床', 48000, 0);
INSERT INTO ledger_entry VALUES (9, 2, '1002', '购入车床', 0, 48000);
INSERT INTO ledger_entry VALUES (10, 1, '1405', '产品完工入库', 26500, 0);
INSERT INTO ledger_entry VALUES (10, 2, '5001', '产品完工入库', 0, 26500);
INSERT INTO ledger_entry VALUES (11, 1, '6401', '结转销售成本', 17800, 0);
INSERT INTO ledger_entry VALUES (11, 2, '1405', '结转销售成本', 0, 17800);
INSERT INTO ledger_entry VALUES (12, 1, '100201', '收到投资款', 200000, 0);
INSERT INTO ledger_entry VALUES (12, 2, '4001', '收到投资款', 0, 200000);
