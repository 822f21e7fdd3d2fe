<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The program's source texts are Chinese: this translation stays empty. -->
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
</TS>
