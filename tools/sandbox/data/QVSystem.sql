-- The system database of the account-set product: the account sets and the
-- years each one holds. Account set 003 has only the placeholder year 9999,
-- which the login window never offers. Each other year has its database
-- qvdata_<id>_<year>.
CREATE TABLE UA_Account (
    cAcc_ID NVARCHAR(3) NOT NULL PRIMARY KEY,
    cAcc_Name NVARCHAR(60) NOT NULL
);
INSERT INTO UA_Account VALUES ('001', '华北机械制造有限公司');
INSERT INTO UA_Account VALUES ('002', '江南食品贸易有限公司');
INSERT INTO UA_Account VALUES ('003', '东海物流服务有限公司');
INSERT INTO UA_Account VALUES ('005', '西山建材有限公司');
INSERT INTO UA_Account VALUES ('006', '南岭电子科技有限公司');

CREATE TABLE UA_Account_sub (
    cAcc_ID NVARCHAR(3) NOT NULL,
    iYear INT NOT NULL,
    PRIMARY KEY (cAcc_ID, iYear)
);
INSERT INTO UA_Account_sub VALUES ('001', 2007);
INSERT INTO UA_Account_sub VALUES ('001', 2008);
INSERT INTO UA_Account_sub VALUES ('001', 9999);
INSERT INTO UA_Account_sub VALUES ('002', 2008);
INSERT INTO UA_Account_sub VALUES ('002', 9999);
INSERT INTO UA_Account_sub VALUES ('003', 9999);
INSERT INTO UA_Account_sub VALUES ('005', 2008);
INSERT INTO UA_Account_sub VALUES ('005', 2009);
INSERT INTO UA_Account_sub VALUES ('005', 9999);
INSERT INTO UA_Account_sub VALUES ('006', 2008);
INSERT INTO UA_Account_sub VALUES ('006', 9999);
