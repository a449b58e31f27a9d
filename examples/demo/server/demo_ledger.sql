-- The demo tool's ledger in the account-set database qvdata_001_2008: three
-- voucher lines carry an account code with a leading blank, so they no
-- longer match any account. The demo's check scripts find them and its
-- correction script trims the codes.
CREATE TABLE demo_account (
    cCode NVARCHAR(20) NOT NULL PRIMARY KEY,
    cName NVARCHAR(60) NOT NULL
);
INSERT INTO demo_account VALUES ('1001', '库存现金');
INSERT INTO demo_account VALUES ('1002', '银行存款');
INSERT INTO demo_account VALUES ('1122', '应收账款');
INSERT INTO demo_account VALUES ('2202', '应付账款');
INSERT INTO demo_account VALUES ('6001', '主营业务收入');

CREATE TABLE demo_voucher (
    iNo INT NOT NULL,
    iLine INT NOT NULL,
    cCode NVARCHAR(20) NOT NULL,
    cDigest NVARCHAR(60),
    mDebit FLOAT NOT NULL DEFAULT 0,
    mCredit FLOAT NOT NULL DEFAULT 0,
    PRIMARY KEY (iNo, iLine)
);
INSERT INTO demo_voucher VALUES (1, 1, '1002', '收到货款', 11700, 0);
INSERT INTO demo_voucher VALUES (1, 2, '1122', '收到货款', 0, 11700);
INSERT INTO demo_voucher VALUES (2, 1, ' 1001', '提取备用金', 2000, 0);
INSERT INTO demo_voucher VALUES (2, 2, '1002', '提取备用金', 0, 2000);
INSERT INTO demo_voucher VALUES (3, 1, '1122', '销售产品', 23400, 0);
INSERT INTO demo_voucher VALUES (3, 2, ' 6001', '销售产品', 0, 23400);
INSERT INTO demo_voucher VALUES (4, 1, ' 2202', '支付材料款', 8000, 0);
INSERT INTO demo_voucher VALUES (4, 2, '1002', '支付材料款', 0, 8000);
