-- The server's master database as the single-company edition uses it: its
-- account-set list, one row per account-set database.
CREATE TABLE sub_list (
    DBName NVARCHAR(128) NOT NULL PRIMARY KEY,
    ZTName NVARCHAR(60) NOT NULL
);
INSERT INTO sub_list VALUES ('qvdata_001_2008', '华北机械制造有限公司');
INSERT INTO sub_list VALUES ('qvdata_002_2008', '江南食品贸易有限公司');
