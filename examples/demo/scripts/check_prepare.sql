-- 清除上次检查留下的结果表
if object_id('tempdb..demo_check') is not null drop table tempdb..demo_check
GO
