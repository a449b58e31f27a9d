-- 查找科目编码在科目表中不存在的凭证分录（例如编码前误录了空格）
select v.iNo as 凭证号, v.iLine as 行号, v.cCode as 科目编码, v.cDigest as 摘要,
       v.mDebit as 借方金额, v.mCredit as 贷方金额
into tempdb..demo_check
from ledger_entry v
where not exists (select 1 from ledger_account a where a.cCode = v.cCode)
GO
