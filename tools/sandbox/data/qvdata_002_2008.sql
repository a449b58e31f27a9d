-- Account set 002 (江南食品贸易有限公司), year 2008: a trading company's
-- first two months on a one-level chart of accounts.
--
-- Deliberate faults:
--   * entry 4/2 carries the code written in full-width digits ('１００２'),
--     as a Chinese input method types them; it matches no account;
--   * entry 5/1 has both a debit and a credit amount, so voucher 5 does
--     not balance.
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
INSERT INTO ledger_account VALUES ('1405', '库存商品', 1, 1, '借');
INSERT INTO ledger_account VALUES ('2202', '应付账款', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('2221', '应交税费', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('4001', '实收资本', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('6001', '主营业务收入', 1, 1, '贷');
INSERT INTO ledger_account VALUES ('6401', '主营业务成本', 1, 1, '借');
INSERT INTO ledger_account VALUES ('6601', '销售费用', 1, 1, '借');
INSERT INTO ledger_account VALUES ('6602', '管理费用', 1, 1, '借');

CREATE TABLE ledger_voucher (
    iNo INT NOT NULL PRIMARY KEY,
    iPeriod INT NOT NULL,
    dDate DATETIME NOT NULL,
    cMaker NVARCHAR(20) NOT NULL,
    cChecker NVARCHAR(20),
    bPosted BIT NOT NULL DEFAULT 0
);
INSERT INTO ledger_voucher VALUES (1, 1, '2008-01-04', '陈静', '刘洋', 1);
INSERT INTO ledger_voucher VALUES (2, 1, '2008-01-11', '陈静', '刘洋', 1);
INSERT INTO ledger_voucher VALUES (3, 1, '2008-01-18', '陈静', '刘洋', 1);
INSERT INTO ledger_voucher VALUES (4, 1, '2008-01-25', '陈静', '刘洋', 1);
INSERT INTO ledger_voucher VALUES (5, 2, '2008-02-14', '陈静', '刘洋', 1);
INSERT INTO ledger_voucher VALUES (6, 2, '2008-02-21', '陈静', NULL, 0);
INSERT INTO ledger_voucher VALUES (7, 2, '2008-02-28', '陈静', NULL, 0);

CREATE TABLE ledger_entry (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO ledger_entry VALUES (1, 1, '1405', '购入大米', 42000, 0);
INSERT INTO ledger_entry VALUES (1, 2, '2202', '购入大米', 0, 42000);
INSERT INTO ledger_entry VALUES (2, 1, '1122', '销售大米', 29250, 0);
INSERT INTO ledger_entry VALUES (2, 2, '6001', '销售大米', 0, 25000);
INSERT INTO ledger_entry VALUES (2, 3, '2221', '销项税额', 0, 4250);
INSERT INTO ledger_entry VALUES (3, 1, '6401', '结转大米成本', 21000, 0);
INSERT INTO ledger_entry VALUES (3, 2, '1405', '结转大米成本', 0, 21000);
INSERT INTO ledger_entry VALUES (4, 1, '6601', '支付运输费', 1800, 0);
INSERT INTO ledger_entry VALUES (4, 2, '１００２', '支付运输费', 0, 1800);
INSERT INTO ledger_entry VALUES (5, 1, '1002', '收到超市货款', 29250, 29250);
INSERT INTO ledger_entry VALUES (5, 2, '1122', '收到超市货款', 0, 29250);
INSERT INTO ledger_entry VALUES (6, 1, '6602', '支付仓库租金', 6000, 0);
INSERT INTO ledger_entry VALUES (6, 2, '1002', '支付仓库租金', 0, 6000);
INSERT INTO ledger_entry VALUES (7, 1, '1405', '购入食用油', 18600, 0);
INSERT INTO ledger_entry VALUES (7, 2, '2202', '购入食用油', 0, 18600);
