-- 去掉科目编码前后的空格，使分录重新对应到科目表
update ledger_entry set cCode = ltrim(rtrim(cCode))
where not exists (select 1 from ledger_account a where a.cCode = ledger_entry.cCode)
  and exists (select 1 from ledger_account a where a.cCode = ltrim(rtrim(ledger_entry.cCode)))
GO
