-- 去掉科目编码前后的空格，使分录重新对应到科目表
update demo_voucher set cCode = ltrim(rtrim(cCode))
where not exists (select 1 from demo_account a where a.cCode = demo_voucher.cCode)
  and exists (select 1 from demo_account a where a.cCode = ltrim(rtrim(demo_voucher.cCode)))
GO
