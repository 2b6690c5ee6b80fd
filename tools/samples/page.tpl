<h1><#title></h1>
<p>Station <#station> reported <#value unit=C> on <#date>.</p>
<p>Prepared by <#author>.</p>
